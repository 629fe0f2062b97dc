// Runs every transfer codec in both directions over arbitrary bytes, into buffers of exactly the
// size the codec asked for and of a few bytes less, so ASan catches any write past the capacity.
// An encoding must decode back to the input, and quoted-printable lines hold at most 76 bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mime/base64_codec.h"
#include "mime/plain_codec.h"
#include "mime/quoted_printable_codec.h"

using namespace vandrel::mime;

namespace {

std::unique_ptr<TransferCodec> MakeCodec(int kind) {
  switch (kind) {
    case 0:
      return std::make_unique<Base64Codec>(true);
    case 1:
      return std::make_unique<Base64Codec>(false);
    case 2:
      return std::make_unique<QuotedPrintableCodec>();
    default:
      return std::make_unique<PlainCodec>();
  }
}

// Runs the codec into a buffer of exactly `capacity` bytes.
std::string Run(TransferCodec& codec, const std::string& input, bool encode, int capacity) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), encode);
  std::vector<char> buffer(static_cast<std::size_t>(capacity));
  const int written = codec.Output(buffer.data(), capacity);
  if (written < 0 || written > capacity) __builtin_trap();
  return std::string(buffer.data(), static_cast<std::size_t>(written));
}

bool LinesFit(const std::string& text) {
  std::size_t line = 0;
  for (char c : text) {
    line = (c == '\r' || c == '\n') ? 0 : line + 1;
    if (line > 76) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 4;
  const int shortBy = data[0] >> 2;  // how much smaller the second buffer is
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  auto codec = MakeCodec(kind);
  std::string encoded;
  for (bool encode : {true, false}) {
    codec->SetInput(input.data(), static_cast<int>(input.size()), encode);
    const int bound = codec->OutputLength();
    const std::string full = Run(*codec, input, encode, bound);
    if (shortBy > 0 && bound > shortBy) Run(*codec, input, encode, bound - shortBy);
    if (encode) encoded = full;
  }
  if (kind == 3) return 0;
  if (kind == 2 && !LinesFit(encoded)) __builtin_trap();
  codec->SetInput(encoded.data(), static_cast<int>(encoded.size()), false);
  if (Run(*codec, encoded, false, codec->OutputLength()) != input) __builtin_trap();
  return 0;
}
