#include "engine/converting/line_ends.h"

#include <cstring>
#include <vector>

namespace vandrel {

namespace {

// Where each CR goes in: before the LF at that place of the text as it stands.
std::vector<std::size_t> LonelyLineFeeds(const std::string& text) {
  std::vector<std::size_t> at;
  for (std::size_t from = 0; from < text.size();) {
    const void* found = std::memchr(text.data() + from, '\n', text.size() - from);
    if (found == nullptr) break;
    const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    if (lf == 0 || text[lf - 1] != '\r') at.push_back(lf);
    from = lf + 1;
  }
  return at;
}

}  // namespace

void ToCrLfLines(std::string& text) {
  const std::vector<std::size_t> lineFeeds = LonelyLineFeeds(text);
  if (lineFeeds.empty()) return;
  std::size_t read = text.size();
  text.resize(text.size() + lineFeeds.size());
  // From the back, so every byte moves once.
  std::size_t write = text.size();
  for (auto lf = lineFeeds.rbegin(); lf != lineFeeds.rend(); ++lf) {
    const std::size_t length = read - *lf;
    write -= length;
    std::memmove(text.data() + write, text.data() + *lf, length);
    text[--write] = '\r';
    read = *lf;
  }
}

}  // namespace vandrel
