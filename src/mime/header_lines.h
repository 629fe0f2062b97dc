// Header-block line rules shared by the field and block loaders.
#pragma once

#include <cstddef>
#include <string_view>

namespace vandrel::mime {

enum class LineStart { kField, kBlankLine, kEndOfText };

struct SkippedLines {
  std::size_t position;  // first line that may hold a field, or the blank line's CR
  LineStart next;
};

// Lines that begin with a blank (space, TAB, LF, VT, FF) cannot start a field and are passed
// over; this says what follows them.
SkippedLines SkipLinesBeforeField(std::string_view text, std::size_t position);

}  // namespace vandrel::mime
