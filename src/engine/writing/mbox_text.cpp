#include "engine/writing/mbox_text.h"

namespace vandrel {

namespace {

bool NeedsFromQuote(std::string_view line) {
  const std::size_t quotes = line.find_first_not_of('>');
  return quotes != std::string_view::npos && line.substr(quotes).starts_with("From ");
}

}  // namespace

std::string ToMboxText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 64);
  bool firstLine = true;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, end - start);
    const bool crlf = lf != std::string_view::npos && !line.empty() && line.back() == '\r';
    if (crlf) line.remove_suffix(1);
    if (!firstLine && NeedsFromQuote(line)) out += '>';
    out += line;
    if (lf != std::string_view::npos) out += '\n';
    firstLine = false;
    start = end + 1;
  }
  return out;
}

}  // namespace vandrel
