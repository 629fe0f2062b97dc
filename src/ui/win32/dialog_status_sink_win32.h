// The status line and the progress bar of the dialog as the engine's status sink.
#pragma once

#include <windows.h>

#include "engine/status_sink.h"

namespace vandrel {

// Called from the worker thread; every call is a synchronous window message to the control.
class DialogStatusSink : public StatusSink {
 public:
  DialogStatusSink(HWND statusLine, HWND progressBar);

  void SetStatusText(std::string_view text) override;
  // A range of 0 to 0 shows an empty bar (the control would take it for no range at all).
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;

 private:
  HWND statusLine_;
  HWND progressBar_;
};

}  // namespace vandrel
