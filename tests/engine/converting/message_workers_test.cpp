#include "engine/converting/message_workers.h"

#include <gtest/gtest.h>

#include <atomic>
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
        gate.entered.set_value();
        gate.future.wait();
        ++converted_;
        if (text == "throws") {
          gate.done.set_value();
          throw std::runtime_error("conversion failed");
        }
        ConvertedMessage result{text + " " + boundary, text, {}};
        gate.done.set_value();
        return result;
      };
    };
  }

  void Open(const std::string& message) { gates_.at(message).opened.set_value(); }
  void WaitUntilDone(const std::string& message) { gates_.at(message).doneFuture.wait(); }
  void WaitUntilBegun(const std::string& message) { gates_.at(message).enteredFuture.wait(); }
  int Converted() const { return converted_.load(); }

 private:
  struct Gate {
    std::promise<void> opened;
    std::shared_future<void> future;
    std::promise<void> done;
    std::shared_future<void> doneFuture;
    std::promise<void> entered;
    std::shared_future<void> enteredFuture;
  };
  std::map<std::string, Gate> gates_;
  std::atomic<int> converted_{0};
};

TEST(MessageWorkersTest, MessagesComeBackInTheOrderTheyWentIn) {
  Gates gates{"a", "b", "c"};
  MessageWorkers workers(3, gates.Factory());
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

// Each thread converts one and one more waits; then the caller must take one back first.
TEST(MessageWorkersTest, HoldsOneMessagePerThreadAndOneMore) {
  for (const std::size_t threads : {std::size_t{0}, std::size_t{2}}) {
    Gates gates{"1", "2", "3"};
    for (const char* message : {"1", "2", "3"})
      gates.Open(message);
    MessageWorkers workers(threads, gates.Factory());
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
    MessageWorkers workers(threads, gates.Factory());
    workers.Give("ok", {});
    workers.Give("throws", {});
    EXPECT_EQ(workers.TakeOldest().subject, "ok");
    EXPECT_THROW(workers.TakeOldest(), std::runtime_error) << threads;
  }
}

// Ending with messages given ends the threads: the message being converted is waited for (the
// sanitizers would see its job freed under it otherwise), the ones not begun are dropped.
TEST(MessageWorkersTest, EndingWaitsForTheMessageBeingConverted) {
  Gates gates{"a", "b"};
  auto workers = std::make_unique<MessageWorkers>(1, gates.Factory());
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
