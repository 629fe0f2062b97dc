// Converts messages on a few threads of their own while the run's thread reads and writes, and
// hands them back in the order they came, so that the files are what one thread would write.
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

class MessageWorkers {
 public:
  // What converts messages on one thread, made once for each.
  using Conversion = std::function<ConvertedMessage(MessageText text, const std::string& boundary)>;
  using ConversionFactory = std::function<Conversion()>;

  // With no threads (or none that the system would start) the messages are converted on the
  // caller's thread, as they are taken.
  MessageWorkers(std::size_t threads, const ConversionFactory& makeConversion);
  // Messages not yet begun are dropped; the ones being converted are waited for.
  ~MessageWorkers();
  MessageWorkers(const MessageWorkers&) = delete;
  MessageWorkers& operator=(const MessageWorkers&) = delete;

  // Whether another message may be given before one is taken: one per thread is being
  // converted and one more waits, so memory holds only a few messages at a time.
  bool HasRoom() const { return pending_.size() < threads_.size() + 1; }
  std::size_t Threads() const { return threads_.size(); }

  void Give(MessageText text, std::string boundary);
  // The oldest message given, once converted; what its conversion threw is thrown here.
  ConvertedMessage TakeOldest();

 private:
  struct Job {
    MessageText text;
    std::string boundary;
    ConvertedMessage converted;
    std::exception_ptr failure;
    bool done = false;
  };
  static void Convert(const Conversion& conversion, Job& job);
  void Work(const Conversion& conversion);

  std::vector<Conversion> conversions_;
  std::mutex mutex_;
  std::condition_variable jobGiven_;
  std::condition_variable jobDone_;
  std::deque<std::unique_ptr<Job>> pending_;  // given and not yet taken, oldest first
  std::deque<Job*> waiting_;                  // not yet begun
  bool closing_ = false;
  std::vector<std::jthread> threads_;  // last, so they end before what they use goes
};

}  // namespace vandrel
