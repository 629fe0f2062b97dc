// Converts messages on a few threads of their own while the run's thread reads and writes, and
// hands them back in the order they came, so that the files are what one thread would write.
// Messages go to the threads in batches, so that handing them over costs little beside
// converting them, however small they are.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/converting/message_converter.h"
#include "engine/reading/message_text.h"

namespace vandrel {

// A batch is handed over once it holds this many messages or bytes of text, and its thread
// converts no further while this many bytes of it wait to be taken (a message naming large
// files converts into far more than its text).
struct MessageBatchLimits {
  std::size_t messages = 64;
  std::size_t bytes = std::size_t{1} << 20;
};

class MessageWorkers {
 public:
  // What converts messages on one thread, made once for each.
  using Conversion = std::function<ConvertedMessage(MessageText text, const std::string& boundary)>;
  using ConversionFactory = std::function<Conversion()>;

  // With no threads (or none that the system would start) the messages are converted on the
  // caller's thread, as they are taken.
  MessageWorkers(std::size_t threads, const ConversionFactory& makeConversion,
                 MessageBatchLimits limits = {});
  // Messages not yet begun are dropped; the ones being converted are waited for.
  ~MessageWorkers();
  MessageWorkers(const MessageWorkers&) = delete;
  MessageWorkers& operator=(const MessageWorkers&) = delete;

  // Whether another message may be given before one is taken: one batch per thread is being
  // converted and one more fills, so memory holds only a few batches at a time.
  bool HasRoom() const;
  std::size_t Threads() const { return threads_.size(); }

  void Give(MessageText text, std::string boundary);
  // The oldest message given, once converted; what its conversion threw is thrown here.
  ConvertedMessage TakeOldest();

 private:
  struct Batch {
    std::vector<MessageText> texts;
    std::vector<std::string> boundaries;
    std::size_t bytes = 0;
    // Under the mutex while threads run:
    std::vector<ConvertedMessage> converted;  // as far as it got
    std::size_t bytesAhead = 0;               // of converted messages not yet taken
    std::exception_ptr failure;               // what the message after those threw
    bool done = false;
  };
  void HandOver();
  ConvertedMessage TakeFromThreads(Batch& oldest, std::size_t index, bool last);
  void Convert(const Conversion& conversion, Batch& batch);
  void Work(const Conversion& conversion);

  MessageBatchLimits limits_;
  std::vector<Conversion> conversions_;
  std::mutex mutex_;
  std::condition_variable batchGiven_;
  std::condition_variable converted_;  // a message converted, or a batch done
  std::condition_variable taken_;      // a message taken, or closing
  // The caller's alone: given and not yet taken, oldest first.
  std::deque<std::unique_ptr<Batch>> pending_;
  Batch* filling_ = nullptr;  // the newest, while it is not handed over
  std::size_t takenFromOldest_ = 0;
  std::deque<Batch*> waiting_;  // handed over, not yet begun
  bool closing_ = false;
  std::vector<std::jthread> threads_;  // last, so they end before what they use goes
};

}  // namespace vandrel
