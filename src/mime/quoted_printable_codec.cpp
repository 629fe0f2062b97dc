#include "mime/quoted_printable_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "mime/byte_words.h"
#include "mime/char_class.h"
#include "mime/length_bound.h"
#include "mime/quoted_printable_encoder.h"

namespace vandrel::mime {

namespace {

std::uint64_t MarkAlphaNum(std::uint64_t word) {
  const std::uint64_t low = word & kLowBits;
  const std::uint64_t digits = MarkAbove(low, '0' - 1) & MarkBelow(low, '9' + 1);
  // Upper-case letters to lower case; no other byte becomes a letter.
  const std::uint64_t folded = low | (kEveryByte * 0x20);
  const std::uint64_t letters = MarkAbove(folded, 'a' - 1) & MarkBelow(folded, 'z' + 1);
  return (digits | letters) & ~MarkHighBytes(word);
}

// Letters and digits a word at a time: the marks add up in the bytes of a word, which are summed
// before any of them can pass 255.
std::int64_t CountAlphaNum(const unsigned char* in, int length) {
  std::int64_t count = 0;
  int i = 0;
  while (length - i >= 8) {
    const int words = std::min((length - i) / 8, 255);
    std::uint64_t perByte = 0;
    for (int w = 0; w < words; ++w, i += 8)
      perByte += MarkAlphaNum(LoadWord(in + i)) >> 7;
    count += SumOfBytes(perByte);
  }
  for (; i < length; ++i)
    count += IsAlphaNumChar(static_cast<char>(in[i])) ? 1 : 0;
  return count;
}

// Copies the bytes before the first "=" among `room` and returns their count; eight at a time
// while none of them is one.
int CopyUpToEquals(const unsigned char* in, char* to, int room) {
  int n = 0;
  for (; n + 8 <= room; n += 8) {
    const std::uint64_t word = LoadWord(in + n);
    std::memcpy(to + n, in + n, 8);
    const std::uint64_t equals = MarkEqual(word & kLowBits, '=') & ~MarkHighBytes(word);
    if (equals != 0) return n + FirstMarked(equals);
  }
  for (; n < room && in[n] != '='; ++n)
    to[n] = static_cast<char>(in[n]);
  return n;
}

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

// Every byte but letters and digits counts as an escape, and each 74 get a soft break's worth.
int QuotedPrintableCodec::EncodedLength() {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const std::int64_t length = InputLength();
  const std::int64_t s = 3 * length - 2 * CountAlphaNum(in, InputLength());
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
    const int run = CopyUpToEquals(in + i, buffer + out, room);
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
