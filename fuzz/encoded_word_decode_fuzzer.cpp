// Decodes arbitrary bytes as a header field value, into a buffer of exactly the bound the codec
// gives and into one of half that size, so ASan catches any write past either.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mime/encoded_word_codec.h"

using namespace vandrel::mime;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* input = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size);
  EncodedWordCodec codec;
  codec.SetInput(input, length, false);
  const int bound = codec.DecodedLength();
  for (int capacity : {bound, bound / 2}) {
    std::vector<char> out(static_cast<std::size_t>(capacity));
    const int written = codec.Decode(out.data(), capacity);
    if (written < 0 || written > capacity) __builtin_trap();
    if (codec.charset.size() > size) __builtin_trap();
  }
  return 0;
}
