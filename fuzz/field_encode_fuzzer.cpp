// Encodes arbitrary field values with a charset into a buffer of exactly EncodedLength bytes.
// The first byte picks the field kind, the second the charset length (0 to 71, so names too long
// for any word are covered). A text field holding 8-bit bytes is encoded whole, so it must also
// decode back to the value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mime/encoded_word_codec.h"
#include "mime/field_codec.h"

using namespace vandrel::mime;

namespace {

bool HasEightBitByte(const char* text, int length) {
  for (int i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static const char* const kFields[] = {"Subject", "To", "Content-Type", "X-Other"};
  const int kind = data[0] % 4;
  const std::size_t charsetLength = data[1] % 72;
  const char* value = reinterpret_cast<const char*>(data + 2);
  const int length = static_cast<int>(size - 2);

  auto encoder = CreateFieldCodec(kFields[kind]);
  for (std::size_t i = 0; i < charsetLength; ++i)
    encoder->charset += static_cast<char>('a' + i % 26);
  encoder->SetInput(value, length, true);
  const int bound = encoder->EncodedLength();
  std::vector<char> encoded(static_cast<std::size_t>(bound));
  const int written = encoder->Encode(encoded.data(), bound);
  if (written < 0 || written > bound) __builtin_trap();

  auto decoder = CreateFieldCodec(kFields[kind]);
  decoder->SetInput(encoded.data(), written, false);
  std::vector<char> decoded(static_cast<std::size_t>(decoder->DecodedLength()));
  const int read = decoder->Decode(decoded.data(), static_cast<int>(decoded.size()));
  if (read < 0 || read > static_cast<int>(decoded.size())) __builtin_trap();

  const bool encodedWhole = kind == 0 && EncodedWordCodec::EncodesWith(encoder->charset) &&
                            HasEightBitByte(value, length);
  if (encodedWhole && std::string(decoded.data(), static_cast<std::size_t>(read)) !=
                          std::string(value, static_cast<std::size_t>(length))) {
    __builtin_trap();
  }
  return 0;
}
