#include "engine/converting/message_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

namespace vandrel {
namespace {

// Conversions that wait at a gate of their message's own until the test opens it, and tell
// when they are done, so that a test can decide the order in which they finish.
class Gates {
 public:
  explicit Gates(std::initializer_list<std::string> messages) {
    for (const std::string& message : messages) {
      gates_[message].future = gates_[message].opened.get_future().share();
      gates_[message].doneFuture = gates_[message].done.get_future().share();
      gates_[message].enteredFuture = gates_[message].entered.get_future().share();
    }
  }

  MessageWorkers::ConversionFactory Factory() {
    return [this] {
      return [this](MessageText text, const std::string& boundary) {
        Gate& gate = gates_.at(text);
        if (!gate.enteredOnce.exchange(true)) gate.entered.set_value();
        gate.future.wait();
        ++converted_;
        const auto finish = [&gate] {
          if (!gate.doneOnce.exchange(true)) gate.done.set_value();
        };
        if (text == "throws") {
          finish();
          throw std::runtime_error("conversion failed");
        }
        ConvertedMessage result;
        result.text = text + " " + boundary;
        result.subject = text;
        finish();
        return result;
      };
    };
  }

  void Open(const std::string& message) { gates_.at(message).opened.set_value(); }
  void WaitUntilDone(const std::string& message) { gates_.at(message).doneFuture.wait(); }
  void WaitUntilBegun(const std::string& message) { gates_.at(message).enteredFuture.wait(); }
  bool BegunWithin(const std::string& message, std::chrono::milliseconds time) {
    return gates_.at(message).enteredFuture.wait_for(time) == std::future_status::ready;
  }
  int Converted() const { return converted_.load(); }

 private:
  struct Gate {
    std::promise<void> opened;
    std::shared_future<void> future;
    std::promise<void> done;
    std::shared_future<void> doneFuture;
    std::promise<void> entered;
    std::shared_future<void> enteredFuture;
    std::atomic<bool> enteredOnce{false};  // a message may come more than once
    std::atomic<bool> doneOnce{false};
  };
  std::map<std::string, Gate> gates_;
  std::atomic<int> converted_{0};
};

// One message a batch, so that a gate holds the whole batch.
constexpr MessageBatchLimits kOneByOne{1, 1};

TEST(MessageWorkersTest, MessagesComeBackInTheOrderTheyWentIn) {
  Gates gates{"a", "b", "c"};
  MessageWorkers workers(3, gates.Factory(), kOneByOne);
  for (const char* message : {"a", "b", "c"}) {
    ASSERT_TRUE(workers.HasRoom());
    workers.Give(message, std::string("boundary-") + message);
  }
  // The later ones finish first.
  gates.Open("c");
  gates.Open("b");
  gates.WaitUntilDone("c");
  gates.WaitUntilDone("b");
  gates.Open("a");
  EXPECT_EQ(workers.TakeOldest().text, "a boundary-a");
  EXPECT_EQ(workers.TakeOldest().text, "b boundary-b");
  EXPECT_EQ(workers.TakeOldest().text, "c boundary-c");
}

// Each thread converts one batch and one more fills; then the caller must take one back first.
TEST(MessageWorkersTest, HoldsOneMessagePerThreadAndOneMore) {
  for (const std::size_t threads : {std::size_t{0}, std::size_t{2}}) {
    Gates gates{"1", "2", "3"};
    for (const char* message : {"1", "2", "3"})
      gates.Open(message);
    MessageWorkers workers(threads, gates.Factory(), kOneByOne);
    std::size_t given = 0;
    while (workers.HasRoom())
      workers.Give(std::to_string(++given), {});
    EXPECT_EQ(given, threads + 1) << threads;
    workers.TakeOldest();
    EXPECT_TRUE(workers.HasRoom()) << threads;
  }
}

TEST(MessageWorkersTest, WhatAConversionThrowsIsThrownWhereItIsTaken) {
  for (const std::size_t threads : {std::size_t{0}, std::size_t{2}}) {
    Gates gates{"ok", "throws"};
    gates.Open("ok");
    gates.Open("throws");
    MessageWorkers workers(threads, gates.Factory(), kOneByOne);
    workers.Give("ok", {});
    workers.Give("throws", {});
    EXPECT_EQ(workers.TakeOldest().subject, "ok");
    EXPECT_THROW(workers.TakeOldest(), std::runtime_error) << threads;
  }
}

// Messages go over in batches, by count or by size; one batch per thread and one filling.
TEST(MessageWorkersTest, BatchesFillByCountOrSizeAndComeBackInOrder) {
  const std::string big(100, 'b');
  for (const std::size_t threads : {std::size_t{0}, std::size_t{2}}) {
    Gates gates{"1", "2", "3", "4", "5", "6", "7", "8", "9", big};
    for (const std::string message : {"1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
      gates.Open(message);
    }
    gates.Open(big);
    MessageWorkers workers(threads, gates.Factory(), {3, 100});
    std::vector<std::string> given;
    while (workers.HasRoom()) {
      given.push_back(std::to_string(given.size() + 1));
      workers.Give(given.back(), {});
    }
    EXPECT_EQ(given.size(), 3 * (threads + 1)) << threads;
    for (const std::string& message : given) {
      EXPECT_EQ(workers.TakeOldest().subject, message) << threads;
    }
    // A message of the batch's size goes over alone.
    std::size_t bigOnes = 0;
    for (; workers.HasRoom(); ++bigOnes)
      workers.Give(big, {});
    EXPECT_EQ(bigOnes, threads + 1) << threads;
    for (std::size_t i = 0; i < bigOnes; ++i)
      EXPECT_EQ(workers.TakeOldest().subject, big);
  }
}

// A thread converts no further while what it has converted waits to be taken beyond the byte
// limit: messages that name large files must not pile up in memory.
TEST(MessageWorkersTest, AThreadWaitsWhileItsConvertedMessagesAreNotTaken) {
  Gates gates{"1", "2", "3"};
  for (const char* message : {"1", "2", "3"})
    gates.Open(message);
  const std::string boundary(20, 'x');  // converted, each message passes the limit alone
  MessageWorkers workers(1, gates.Factory(), {3, 10});
  for (const char* message : {"1", "2", "3"})
    workers.Give(message, boundary);  // the third hands the batch over
  gates.WaitUntilDone("1");
  // Only a thread that went on would begin the next one: a wait that can only miss it.
  EXPECT_EQ(gates.BegunWithin("2", std::chrono::milliseconds(200)), false);
  EXPECT_EQ(workers.TakeOldest().subject, "1");
  gates.WaitUntilBegun("2");
  EXPECT_EQ(workers.TakeOldest().subject, "2");
  EXPECT_EQ(workers.TakeOldest().subject, "3");
}

// Ending with messages given ends the threads: the message being converted is waited for (the
// sanitizers would see its job freed under it otherwise), the ones not begun are dropped.
TEST(MessageWorkersTest, EndingWaitsForTheMessageBeingConverted) {
  Gates gates{"a", "b"};
  auto workers = std::make_unique<MessageWorkers>(1, gates.Factory(), kOneByOne);
  for (const char* message : {"a", "b"})
    workers->Give(message, {});
  gates.WaitUntilBegun("a");
  std::thread ending([&] { workers.reset(); });
  gates.Open("a");
  gates.Open("b");
  ending.join();
  EXPECT_GE(gates.Converted(), 1);
  EXPECT_LE(gates.Converted(), 2);
}

}  // namespace
}  // namespace vandrel
