#include "engine/converting/message_workers.h"

#include <system_error>
#include <utility>

namespace vandrel {

MessageWorkers::MessageWorkers(std::size_t threads, const ConversionFactory& makeConversion) {
  conversions_.push_back(makeConversion());
  for (std::size_t i = 1; i < threads; ++i)
    conversions_.push_back(makeConversion());
  for (std::size_t i = 0; i < threads; ++i) {
    const Conversion& conversion = conversions_[i];
    try {
      threads_.emplace_back([this, &conversion] { Work(conversion); });
    } catch (const std::system_error&) {
      break;  // fewer threads then, or the caller's own
    }
  }
}

MessageWorkers::~MessageWorkers() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    waiting_.clear();
  }
  jobGiven_.notify_all();
  for (std::jthread& thread : threads_)
    thread.join();
}

void MessageWorkers::Give(MessageText text, std::string boundary) {
  auto job = std::make_unique<Job>();
  job->text = std::move(text);
  job->boundary = std::move(boundary);
  {
    std::lock_guard lock(mutex_);
    if (!threads_.empty()) waiting_.push_back(job.get());
    pending_.push_back(std::move(job));
  }
  jobGiven_.notify_one();
}

ConvertedMessage MessageWorkers::TakeOldest() {
  std::unique_ptr<Job> job;
  if (threads_.empty()) {
    job = std::move(pending_.front());
    pending_.pop_front();
    Convert(conversions_.front(), *job);
  } else {
    std::unique_lock lock(mutex_);
    jobDone_.wait(lock, [this] { return pending_.front()->done; });
    job = std::move(pending_.front());
    pending_.pop_front();
  }
  if (job->failure) std::rethrow_exception(job->failure);
  return std::move(job->converted);
}

void MessageWorkers::Convert(const Conversion& conversion, Job& job) {
  try {
    job.converted = conversion(std::move(job.text), job.boundary);
  } catch (...) {
    job.failure = std::current_exception();
  }
}

void MessageWorkers::Work(const Conversion& conversion) {
  for (;;) {
    Job* job = nullptr;
    {
      std::unique_lock lock(mutex_);
      jobGiven_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
      if (closing_) return;
      job = waiting_.front();
      waiting_.pop_front();
    }
    Convert(conversion, *job);
    {
      std::lock_guard lock(mutex_);
      job->done = true;
    }
    jobDone_.notify_all();
  }
}

}  // namespace vandrel
