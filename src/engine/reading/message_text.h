// One exported message: its separator line and every following line up to the next
// separator, each line followed by CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

using MessageText = std::string;

// Where a message lies in the export's text, to be read again when it is converted.
struct MessageSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const MessageSpan&) const = default;
};

// The message's header block: its separator line and the lines after it, up to the first empty
// line. Only lines of this block name the message's folder and files; the same words anywhere
// else are text that its sender wrote.
inline std::string_view HeaderBlock(std::string_view messageText) {
  const std::size_t emptyLine = messageText.find("\r\n\r\n");
  return emptyLine == std::string_view::npos ? messageText : messageText.substr(0, emptyLine + 2);
}

}  // namespace vandrel
