#include "engine/converting/message_workers.h"

#include <stdexcept>
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
  taken_.notify_all();
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
  Batch& oldest = *pending_.front();
  if (&oldest == filling_) HandOver();
  const std::size_t index = takenFromOldest_++;
  const bool last = takenFromOldest_ == oldest.texts.size();
  // One at a time, as it is taken, when there are no threads: nothing waits converted. What a
  // conversion throws ends the run, so the batch it came from need not go before that.
  ConvertedMessage message = threads_.empty() ? conversions_.front()(std::move(oldest.texts[index]),
                                                                     oldest.boundaries[index])
                                              : TakeFromThreads(oldest, index, last);
  if (last) {
    takenFromOldest_ = 0;
    pending_.pop_front();
  }
  return message;
}

// The next message of the oldest batch as soon as its thread has it; the batch itself is
// waited for to the end before it goes, since its thread still tells that it is done.
ConvertedMessage MessageWorkers::TakeFromThreads(Batch& oldest, std::size_t index, bool last) {
  std::unique_lock lock(mutex_);
  converted_.wait(
      lock, [&] { return last ? oldest.done : oldest.done || oldest.converted.size() > index; });
  if (index >= oldest.converted.size()) {
    if (oldest.failure) std::rethrow_exception(oldest.failure);
    throw std::logic_error("a message was taken that was never converted");
  }
  ConvertedMessage message = std::move(oldest.converted[index]);
  oldest.bytesAhead -= message.text.size();
  lock.unlock();
  taken_.notify_all();
  return message;
}

// Stops at a message that throws: what it threw is told when that message is taken. Waits
// while what it has converted and nobody has taken passes the byte limit.
void MessageWorkers::Convert(const Conversion& conversion, Batch& batch) {
  std::exception_ptr failure;
  for (std::size_t i = 0; i < batch.texts.size(); ++i) {
    {
      std::unique_lock lock(mutex_);
      taken_.wait(lock, [&] { return closing_ || batch.bytesAhead < limits_.bytes; });
      if (closing_) break;
    }
    try {
      ConvertedMessage message = conversion(std::move(batch.texts[i]), batch.boundaries[i]);
      {
        std::lock_guard lock(mutex_);
        batch.bytesAhead += message.text.size();
        batch.converted.push_back(std::move(message));
      }
      converted_.notify_all();
    } catch (...) {
      failure = std::current_exception();
      break;
    }
  }
  {
    std::lock_guard lock(mutex_);
    batch.failure = failure;
    batch.done = true;
  }
  converted_.notify_all();
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
  }
}

}  // namespace vandrel
