// Converts arbitrary bytes as one exported message. Whatever the text says, the converter must
// finish, stay inside its buffers and give a result that starts with the separator line.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/converting/message_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> text(data, data + size);
  vandrel::MessageConverter converter;
  vandrel::StatusLine status;
  const std::string converted =
      converter.ConvertMessage(std::string_view(text.data(), text.size()), status);
  if (!converted.starts_with("From ")) __builtin_trap();
  return 0;
}
