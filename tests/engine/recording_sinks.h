// Sinks that remember what a run reported, for tests of whole runs.
#pragma once

#include <future>
#include <string>
#include <string_view>
#include <vector>

#include "engine/status_sink.h"
#include "log/log_view.h"

namespace vandrel {

class RecordingLogView : public LogView {
 public:
  bool IsEmpty() const override { return text.empty(); }
  void AppendAndScroll(std::string_view addition) override { text += addition; }
  std::string text;
};

class RecordingStatus : public StatusSink {
 public:
  void SetStatusText(std::string_view text) override { texts.emplace_back(text); }
  void SetProgressRange(int maximum) override {
    calls.push_back("range 0.." + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override {
    calls.push_back("position " + std::to_string(position));
  }
  void StepProgress() override { calls.push_back("step"); }
  std::vector<std::string> texts;
  std::vector<std::string> calls;
};

// Holds the worker at the first status text that starts as given (and at every one after it)
// until the test opens the gate, so that a test can look at a run in progress however fast
// the machine is. Held() tells when the worker has got there.
class GatedStatus : public RecordingStatus {
 public:
  explicit GatedStatus(std::string holdAt = {}) : holdAt_(std::move(holdAt)) {}

  void SetStatusText(std::string_view text) override {
    if (text.starts_with(holdAt_)) holding_ = true;
    if (holding_) {
      if (!arrived_) {
        arrived_ = true;
        arrival_.set_value();
      }
      gate_.wait();
    }
    RecordingStatus::SetStatusText(text);
  }
  // Waits until the worker is held.
  void WaitUntilHeld() { held_.wait(); }
  void Open() { opened_.set_value(); }

 private:
  std::string holdAt_;
  bool holding_ = false;  // worker only
  bool arrived_ = false;  // worker only
  std::promise<void> arrival_;
  std::shared_future<void> held_ = arrival_.get_future().share();
  std::promise<void> opened_;
  std::shared_future<void> gate_ = opened_.get_future().share();
};

}  // namespace vandrel
