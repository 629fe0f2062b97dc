#include <windows.h>

#include <csignal>

#include "cli/stop_signals.h"

namespace vandrel::cli {

namespace {

StopSignals* watching = nullptr;

}  // namespace

// Windows calls the handler on a thread of its own.
class StopSignals::Watcher {
 public:
  explicit Watcher(StopSignals& owner) {
    watching = &owner;
    ::SetConsoleCtrlHandler(&Watcher::Handle, TRUE);
  }
  ~Watcher() {
    ::SetConsoleCtrlHandler(&Watcher::Handle, FALSE);
    watching = nullptr;
  }

 private:
  static BOOL WINAPI Handle(DWORD event) {
    if (watching == nullptr) return FALSE;
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    int none = 0;
    if (!watching->received_.compare_exchange_strong(none, signal)) return FALSE;  // asked twice
    watching->source_.request_stop();
    return TRUE;
  }
};

void StopSignals::Receive(int signal) {
  received_ = signal;
  source_.request_stop();
}

StopSignals::StopSignals() : watcher_(std::make_unique<Watcher>(*this)) {}
StopSignals::~StopSignals() = default;

}  // namespace vandrel::cli
