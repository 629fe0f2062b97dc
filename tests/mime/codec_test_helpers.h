// Helpers for running codecs on strings in tests.
#pragma once

#include <string>
#include <string_view>

#include "mime/transfer_codec.h"

namespace vandrel::mime::testing {

// Latin-1 bytes from UTF-8 source text, so tables can spell "Grüße" instead of escapes.
inline std::string Latin1(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[++i]);
      out += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Encodes into a buffer of exactly EncodedLength bytes.
inline std::string EncodeAll(TransferCodec& codec, std::string_view input) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), true);
  std::string out(static_cast<std::size_t>(codec.EncodedLength()), '\0');
  out.resize(static_cast<std::size_t>(codec.Encode(out.data(), static_cast<int>(out.size()))));
  return out;
}

inline std::string DecodeAll(TransferCodec& codec, std::string_view input) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), false);
  std::string out(static_cast<std::size_t>(codec.DecodedLength()), '\0');
  out.resize(static_cast<std::size_t>(codec.Decode(out.data(), static_cast<int>(out.size()))));
  return out;
}

}  // namespace vandrel::mime::testing
