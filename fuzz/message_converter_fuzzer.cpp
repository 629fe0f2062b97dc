// Converts arbitrary bytes as one exported message. Whatever the text says, the converter must
// finish, stay inside its buffers and give a result that starts with the separator line and
// ends with the blank line after the message.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/converting/message_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> text(data, data + size);
  vandrel::MessageConverter converter;
  const std::string converted =
      converter.ConvertMessage(std::string(text.data(), text.size())).text;
  if (!converted.starts_with("From ") || !converted.ends_with("\r\n\r\n")) __builtin_trap();
  return 0;
}
