#include "ui/win32/edit_log_view_win32.h"

#include <string>

#include "log/visible_text.h"
#include "platform/utf16_win32.h"

namespace vandrel {

EditLogView::EditLogView(HWND edit) : edit_(edit) {
  ::SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
}

bool EditLogView::IsEmpty() const {
  return ::SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0) == 0;
}

void EditLogView::AppendAndScroll(std::string_view text) {
  // Control characters as symbols: a NUL would end the text the edit takes, an ESC means nothing
  // to it. The log's own line separators stay line breaks.
  const std::wstring wide = platform::Widen(VisibleLogText(text));
  const LRESULT end = ::SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  const LRESULT lines = ::SendMessageW(edit_, EM_GETLINECOUNT, 0, 0);
  ::SendMessageW(edit_, EM_LINESCROLL, 0, lines);
  // The caret to the start of the last line, so that a long line does not leave the box
  // scrolled to its right end.
  const LRESULT lastLine = ::SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
  ::SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(lastLine), lastLine);
  ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

}  // namespace vandrel
