// Converts arbitrary bytes as one exported message. Whatever the text says, the converter must
// finish, stay inside its buffers and give CR LF lines, and the message in its mbox form must
// start with the one separator line that is not quoted and end with the blank line after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/converting/message_converter.h"
#include "engine/destinations/mbox/mbox_text.h"

namespace {

bool EveryLineEndsInCrLf(std::string_view text) {
  for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
       lf = text.find('\n', lf + 1)) {
    if (lf == 0 || text[lf - 1] != '\r') return false;
  }
  return text.empty() || text.ends_with("\r\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> text(data, data + size);
  vandrel::MessageConverter converter;
  const vandrel::ConvertedMessage converted =
      converter.ConvertMessage(std::string(text.data(), text.size()));
  if (!EveryLineEndsInCrLf(converted.text)) __builtin_trap();
  std::string mbox;
  vandrel::WriteMboxMessage(converted, [&mbox](std::string_view bytes) {
    mbox.append(bytes);
    return true;
  });
  // No line of the message may read as the start of another.
  if (!mbox.starts_with("From ") || !mbox.ends_with("\r\n\r\n") ||
      mbox.find("\nFrom ") != std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
