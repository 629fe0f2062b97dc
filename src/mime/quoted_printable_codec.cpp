#include "mime/quoted_printable_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "mime/char_class.h"
#include "mime/length_bound.h"
#include "mime/quoted_printable_encoder.h"

namespace vandrel::mime {

namespace {

// Bytes that add 2 to the size estimate: all but letters and digits.
constexpr std::array<std::uint8_t, 256> MakeEstimateTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<std::size_t>(c)] = IsAlphaNumChar(static_cast<char>(c)) ? 0 : 2;
  }
  return table;
}

constexpr auto kEstimateExtra = MakeEstimateTable();

// The value of a hex digit after "=" (upper case only), 16 for any other byte.
constexpr std::array<std::uint8_t, 256> MakeHexValueTable() {
  std::array<std::uint8_t, 256> table{};
  table.fill(16);
  for (int c = 0; c < 256; ++c) {
    if (!IsHexDigitChar(static_cast<char>(c))) continue;
    table[static_cast<std::size_t>(c)] =
        static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  return table;
}

// The low nibble is read from any byte: bytes up to "9" count from "0", the rest from "A" less
// ten, so lower-case hex digits also give 10 to 15.
constexpr std::array<std::uint8_t, 256> MakeLowNibbleTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<std::size_t>(c)] =
        static_cast<std::uint8_t>((c <= 0x39 ? c - 0x30 : c - 0x37) & 0x0F);
  }
  return table;
}

constexpr auto kHexValues = MakeHexValueTable();
constexpr auto kLowNibbles = MakeLowNibbleTable();

}  // namespace

int QuotedPrintableCodec::EncodedLength() {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  std::int64_t s = InputLength();
  for (int i = 0; i < InputLength(); ++i) {
    s += kEstimateExtra[in[i]];
  }
  return ClampLength(s + s / 74 * 6);
}

int QuotedPrintableCodec::Encode(char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  return QuotedPrintableEncoder(in, InputLength(), buffer, capacity).Run();
}

int QuotedPrintableCodec::Decode(char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  int out = 0;
  int i = 0;
  while (i < length && out < capacity) {
    // Everything up to the next "=" is copied as it is.
    const int room = std::min(length - i, capacity - out);
    int run = 0;
    while (run < room && in[i + run] != '=') {
      buffer[out + run] = static_cast<char>(in[i + run]);
      ++run;
    }
    i += run;
    out += run;
    if (run == room) break;
    if (length - i - 1 < 2) break;
    const unsigned char next = in[i + 1];
    if (kHexValues[next] < 16) {
      // The low nibble is taken unchecked, so lower-case hex digits also decode here.
      buffer[out++] = static_cast<char>((kHexValues[next] << 4) | kLowNibbles[in[i + 2]]);
      i += 3;
    } else if (next == '\r' && in[i + 2] == '\n') {
      i += 3;
    } else {
      buffer[out++] = static_cast<char>(next);
      i += 2;
    }
  }
  return out;
}

}  // namespace vandrel::mime
