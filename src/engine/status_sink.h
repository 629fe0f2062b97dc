// The status line and the progress bar, as the engine sees them.
#pragma once

#include <string_view>

namespace vandrel {

// Implemented by each user interface. Called from the worker thread; every call has taken
// effect when it returns.
class StatusSink {
 public:
  virtual ~StatusSink() = default;

  // Replaces the whole text of the status line.
  virtual void SetStatusText(std::string_view text) = 0;
  // The progress range becomes 0 to maximum.
  virtual void SetProgressRange(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // One step forward.
  virtual void StepProgress() = 0;
};

}  // namespace vandrel
