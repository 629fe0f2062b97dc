#include "engine/converting/message_workers.h"

#include <system_error>
#include <utility>

namespace vandrel {

MessageWorkers::MessageWorkers(std::size_t threads, const ConversionFactory& makeConversion,
                               MessageBatchLimits limits)
    : limits_(limits) {
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
  batchGiven_.notify_all();
  for (std::jthread& thread : threads_)
    thread.join();
}

bool MessageWorkers::HasRoom() const {
  return filling_ != nullptr || pending_.size() < threads_.size() + 1;
}

void MessageWorkers::Give(MessageText text, std::string boundary) {
  if (filling_ == nullptr) {
    pending_.push_back(std::make_unique<Batch>());
    filling_ = pending_.back().get();
  }
  filling_->bytes += text.size();
  filling_->texts.push_back(std::move(text));
  filling_->boundaries.push_back(std::move(boundary));
  if (filling_->texts.size() >= limits_.messages || filling_->bytes >= limits_.bytes) HandOver();
}

void MessageWorkers::HandOver() {
  Batch* batch = std::exchange(filling_, nullptr);
  if (threads_.empty()) return;  // converted when taken
  {
    std::lock_guard lock(mutex_);
    waiting_.push_back(batch);
  }
  batchGiven_.notify_one();
}

ConvertedMessage MessageWorkers::TakeOldest() {
  Batch* oldest = pending_.front().get();
  if (oldest == filling_) HandOver();
  if (threads_.empty()) {
    if (!oldest->done) {
      Convert(conversions_.front(), *oldest);
      oldest->done = true;
    }
  } else {
    std::unique_lock lock(mutex_);
    batchDone_.wait(lock, [oldest] { return oldest->done; });
  }
  if (taken_ == oldest->converted.size() && oldest->failure) {
    std::rethrow_exception(oldest->failure);
  }
  ConvertedMessage converted = std::move(oldest->converted[taken_]);
  if (++taken_ == oldest->texts.size()) {
    taken_ = 0;
    pending_.pop_front();
  }
  return converted;
}

// Stops at a message that throws: what it threw is told when that message is taken.
void MessageWorkers::Convert(const Conversion& conversion, Batch& batch) {
  try {
    for (std::size_t i = 0; i < batch.texts.size(); ++i) {
      batch.converted.push_back(conversion(std::move(batch.texts[i]), batch.boundaries[i]));
    }
  } catch (...) {
    batch.failure = std::current_exception();
  }
}

void MessageWorkers::Work(const Conversion& conversion) {
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock lock(mutex_);
      batchGiven_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
      if (closing_) return;
      batch = waiting_.front();
      waiting_.pop_front();
    }
    Convert(conversion, *batch);
    {
      std::lock_guard lock(mutex_);
      batch->done = true;
    }
    batchDone_.notify_one();
  }
}

}  // namespace vandrel
