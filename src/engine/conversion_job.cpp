#include "engine/conversion_job.h"

#include <system_error>

namespace vandrel {

ConversionJob::~ConversionJob() {
  RequestStop();
  Wait();
}

bool ConversionJob::Start(ConversionRequest request) {
  running_ = true;
  Wait();  // the worker of the previous run has ended it; let the thread go
  request_ = std::move(request);
  result_ = {};
  try {
    thread_ = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  return true;
}

void ConversionJob::Run(std::stop_token stop) {
  result_ = Convert(request_, RunReport{log_ != nullptr ? *log_ : unattachedLog_, status_},
                    std::move(stop));
  running_ = false;
  if (finished_) finished_();
}

void ConversionJob::RequestStop() {
  thread_.request_stop();
}

void ConversionJob::Wait() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool ConversionJob::Succeeded() const {
  return !running_ && result_.succeeded;
}

const RunFindings& ConversionJob::Findings() const {
  static const RunFindings kNone;
  return running_ ? kNone : result_.findings;
}

}  // namespace vandrel
