// Ctrl-C and the system's request to end (SIGINT and SIGTERM; Ctrl-C, Ctrl-Break and closing the
// console on Windows) ask the run to stop and clean up. A second one ends the program at once.
#pragma once

#include <atomic>
#include <memory>
#include <stop_token>

namespace vandrel::cli {

class StopSignals {
 public:
  // Watches from here on; made before any other thread, so that all of them leave the signals
  // to the watcher.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  std::stop_token Token() const { return source_.get_token(); }
  // The signal that asked the run to stop (SIGINT 2, SIGTERM 15); 0 while none has.
  int Received() const { return received_.load(); }

 private:
  class Watcher;
  void Receive(int signal);

  std::stop_source source_;
  std::atomic<int> received_{0};
  std::unique_ptr<Watcher> watcher_;
};

}  // namespace vandrel::cli
