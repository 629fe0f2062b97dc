#include "engine/destinations/mbox/mbox_text.h"

#include <cstring>

namespace vandrel {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEpoch = "Thu Jan  1 00:00:00 1970";

bool NeedsFromQuote(std::string_view line) {
  const std::size_t quotes = line.find_first_not_of('>');
  return quotes != std::string_view::npos && line.substr(quotes).starts_with("From ");
}

}  // namespace

std::string SeparatorLine(std::string_view envelopeAddress,
                          const std::optional<CalypsoDate>& date) {
  return "From " + std::string(envelopeAddress) + " " +
         (date ? AsctimeText(*date) : std::string(kEpoch));
}

bool WriteMboxMessage(const ConvertedMessage& message,
                      const std::function<bool(std::string_view)>& write) {
  if (!write(SeparatorLine(message.envelopeSender, message.exportDate)) || !write(kLineEnd)) {
    return false;
  }
  // The text goes in runs between the lines that need a ">", without a copy.
  const std::string_view text = message.text;
  std::size_t runStart = 0;
  for (std::size_t lineStart = 0; lineStart < text.size();) {
    if (NeedsFromQuote(text.substr(lineStart))) {
      if (!write(text.substr(runStart, lineStart - runStart)) || !write(">")) return false;
      runStart = lineStart;
    }
    const void* lf = std::memchr(text.data() + lineStart, '\n', text.size() - lineStart);
    if (lf == nullptr) break;
    lineStart = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
  }
  return write(text.substr(runStart)) && write(kLineEnd);
}

}  // namespace vandrel
