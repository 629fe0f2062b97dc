// A conversion on a worker thread of its own, for a window that must stay responsive: started,
// asked to stop, and told when it has ended.
#pragma once

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

#include "engine/conversion.h"

namespace vandrel {

class ConversionJob {
 public:
  ConversionJob() = default;
  ConversionJob(const ConversionJob&) = delete;
  ConversionJob& operator=(const ConversionJob&) = delete;
  // Asks a run in progress to stop and waits for it to end.
  virtual ~ConversionJob();

  // Set before any run; the job owns none of them.
  void SetLog(ActivityLog* log) { log_ = log; }
  void SetStatusSink(StatusSink* status) { status_ = status; }
  // Called on the worker thread when a run has ended, after its last report; may be empty.
  void SetFinishedCallback(std::function<void()> finished) { finished_ = std::move(finished); }

  // Starts a run on a new worker thread. The running flag is set before it returns, so a caller
  // that checks it never starts a second run. False only when no thread could be made.
  bool Start(ConversionRequest request);
  // Asks the run in progress to stop; it ends soon after, cleaning up.
  void RequestStop();
  // Blocks until the worker of the last run has ended.
  void Wait();
  bool IsRunning() const { return running_.load(); }

  // The last run's result, once it has ended.
  bool Succeeded() const;
  const RunFindings& Findings() const;

 private:
  void Run(std::stop_token stop);

  std::atomic<bool> running_{false};
  ActivityLog* log_ = nullptr;
  ActivityLog unattachedLog_;  // shows its texts by the log's own fallback
  StatusSink* status_ = nullptr;
  std::function<void()> finished_;
  ConversionRequest request_;
  ConversionResult result_;  // written by the worker before running_ is cleared
  std::jthread thread_;
};

}  // namespace vandrel
