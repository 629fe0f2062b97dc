// The log box of the dialog as the activity log's view: a read-only multi-line edit.
#pragma once

#include <windows.h>

#include "log/log_view.h"

namespace vandrel {

// Called from the worker thread: each call is one synchronous window message to the edit, which
// the dialog's thread serves, so it has taken effect when it returns.
class EditLogView : public LogView {
 public:
  // Lifts the edit's default limit of 32,767 characters.
  explicit EditLogView(HWND edit);

  bool IsEmpty() const override;
  // Appends at the end (the user may have moved the caret) and scrolls the last line into view.
  void AppendAndScroll(std::string_view text) override;

 private:
  HWND edit_;
};

}  // namespace vandrel
