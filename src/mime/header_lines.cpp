#include "mime/header_lines.h"

#include "mime/bounded_text.h"
#include "mime/char_class.h"

namespace vandrel::mime {

SkippedLines SkipLinesBeforeField(std::string_view text, std::size_t position) {
  while (IsSpaceChar(ByteAt(text, position))) {
    if (text[position] == '\r') return {position, LineStart::kBlankLine};
    const std::size_t next = text.find(kCrLf, position);
    if (next == std::string_view::npos) return {text.size(), LineStart::kEndOfText};
    position = next + 2;
  }
  return {position, position >= text.size() ? LineStart::kEndOfText : LineStart::kField};
}

}  // namespace vandrel::mime
