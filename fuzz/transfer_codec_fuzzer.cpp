// Runs every transfer codec in both directions over arbitrary bytes, into a buffer of exactly
// the size the codec asked for, so ASan catches any write past the bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "mime/base64_codec.h"
#include "mime/plain_codec.h"
#include "mime/quoted_printable_codec.h"

using namespace vandrel::mime;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 4;
  const char* input = reinterpret_cast<const char*>(data + 1);
  const int length = static_cast<int>(size - 1);
  std::unique_ptr<TransferCodec> codec;
  switch (kind) {
    case 0: codec = std::make_unique<Base64Codec>(true); break;
    case 1: codec = std::make_unique<Base64Codec>(false); break;
    case 2: codec = std::make_unique<QuotedPrintableCodec>(); break;
    default: codec = std::make_unique<PlainCodec>(); break;
  }
  for (bool encode : {true, false}) {
    codec->SetInput(input, length, encode);
    const int bound = codec->OutputLength();
    std::vector<char> out(static_cast<std::size_t>(bound));
    const int written = codec->Output(out.data(), bound);
    if (written < 0 || written > bound) __builtin_trap();
  }
  return 0;
}
