#include <pthread.h>
#include <signal.h>

#include <thread>

#include "cli/stop_signals.h"

namespace vandrel::cli {

namespace {

// Wakes the watcher when the program no longer needs it.
constexpr int kDone = SIGUSR1;

sigset_t WatchedSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, kDone);
  return signals;
}

}  // namespace

// The signals are blocked in every thread and taken by one that waits for them, so that asking
// the run to stop happens outside a signal handler.
class StopSignals::Watcher {
 public:
  explicit Watcher(StopSignals& owner) {
    const sigset_t signals = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &signals, &previous_);
    thread_ = std::thread([&owner, signals] {
      for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0 || signal == kDone) return;
        owner.Receive(signal);
      }
    });
  }
  ~Watcher() {
    pthread_kill(thread_.native_handle(), kDone);
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }

 private:
  sigset_t previous_{};
  std::thread thread_;
};

void StopSignals::Receive(int signal) {
  int none = 0;
  if (received_.compare_exchange_strong(none, signal)) {
    source_.request_stop();
    return;
  }
  // Asked twice: the program ends now, as the signal would have ended it.
  ::signal(signal, SIG_DFL);
  sigset_t just;
  sigemptyset(&just);
  sigaddset(&just, signal);
  pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
  ::raise(signal);
}

StopSignals::StopSignals() : watcher_(std::make_unique<Watcher>(*this)) {}
StopSignals::~StopSignals() = default;

}  // namespace vandrel::cli
