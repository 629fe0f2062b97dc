#include "engine/destinations/mbox/mbox_text.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace vandrel {

namespace {

constexpr std::string_view kMessageEnd = "\r\n";

bool NeedsFromQuote(std::string_view rest) {
  const std::size_t quotes = rest.find_first_not_of('>');
  return quotes != std::string_view::npos && rest.substr(quotes).starts_with("From ");
}

// Where a byte goes in: before the byte at `at` of the text as it stands.
struct Insertion {
  std::size_t at;
  char byte;
};

std::vector<Insertion> InsertionsFor(std::string_view text) {
  std::vector<Insertion> insertions;
  std::size_t lineStart = 0;
  for (;;) {
    if (lineStart > 0 && NeedsFromQuote(text.substr(lineStart))) {
      insertions.push_back({lineStart, '>'});
    }
    const void* found = std::memchr(text.data() + lineStart, '\n', text.size() - lineStart);
    if (found == nullptr) return insertions;
    const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    if (lf == 0 || text[lf - 1] != '\r') insertions.push_back({lf, '\r'});
    lineStart = lf + 1;
  }
}

}  // namespace

void ToMboxMessage(std::string& text) {
  const std::vector<Insertion> insertions = InsertionsFor(text);
  std::size_t read = text.size();
  text.resize(text.size() + insertions.size());
  // From the back, so every byte moves once.
  std::size_t write = text.size();
  for (auto insertion = insertions.rbegin(); insertion != insertions.rend(); ++insertion) {
    const std::size_t length = read - insertion->at;
    write -= length;
    std::memmove(text.data() + write, text.data() + insertion->at, length);
    text[--write] = insertion->byte;
    read = insertion->at;
  }
  text += kMessageEnd;
}

}  // namespace vandrel
