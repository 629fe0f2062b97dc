#include "ui/win32/dialog_status_sink_win32.h"

#include <commctrl.h>

#include <string>

#include "log/visible_text.h"
#include "platform/utf16_win32.h"

namespace vandrel {

DialogStatusSink::DialogStatusSink(HWND statusLine, HWND progressBar)
    : statusLine_(statusLine), progressBar_(progressBar) {}

void DialogStatusSink::SetStatusText(std::string_view text) {
  // A subject's control characters as symbols; a NUL would end the text the control takes.
  const std::wstring wide = platform::Widen(VisibleText(text));
  ::SendMessageW(statusLine_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void DialogStatusSink::SetProgressRange(int maximum) {
  ::SendMessageW(progressBar_, PBM_SETRANGE32, 0, maximum > 0 ? maximum : 1);
}

void DialogStatusSink::SetProgressPosition(int position) {
  ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void DialogStatusSink::StepProgress() {
  ::SendMessageW(progressBar_, PBM_DELTAPOS, 1, 0);
}

}  // namespace vandrel
