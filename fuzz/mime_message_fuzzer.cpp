// Loads arbitrary bytes as a message, then stores what was loaded into a buffer of exactly the
// size it asked for; ASan catches any access outside either buffer.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "mime/mime_part.h"

using vandrel::mime::MailMessage;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so a read one byte past the text is caught.
  const std::vector<char> text(data, data + size);
  MailMessage message;
  const int consumed = message.Load(std::string_view(text.data(), text.size()));
  if (consumed > static_cast<int>(size)) __builtin_trap();
  const int bound = message.GetStoreLength();
  if (bound <= 0) return 0;
  std::vector<char> out(static_cast<std::size_t>(bound));
  const int written = message.Store(out.data(), bound);
  if (written > bound) __builtin_trap();
  return 0;
}
