#include "mime/base64_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "mime/length_bound.h"

namespace vandrel::mime {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineLength = 76;
constexpr int kLineInput = kLineLength / 4 * 3;  // 57 input bytes fill one line

// Both characters of every 12-bit value, so one lookup yields half a group.
constexpr std::array<std::array<char, 2>, 4096> MakePairTable() {
  std::array<std::array<char, 2>, 4096> table{};
  for (int v = 0; v < 4096; ++v) {
    table[static_cast<std::size_t>(v)] = {kAlphabet[v >> 6], kAlphabet[v & 0x3F]};
  }
  return table;
}

constexpr auto kPairs = MakePairTable();

// 0..63 for alphabet bytes, kSkip for CR and LF, kStop for everything else.
constexpr std::uint8_t kSkip = 0xFE;
constexpr std::uint8_t kStop = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeValueTable() {
  std::array<std::uint8_t, 256> table{};
  table.fill(kStop);
  for (int i = 0; i < 64; ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  }
  table['\r'] = kSkip;
  table['\n'] = kSkip;
  return table;
}

constexpr auto kValues = MakeValueTable();

// The value of an alphabet byte already shifted to its place in a group of four; every other
// byte, CR and LF included, sets kNotInGroup, which no sum of valid values reaches.
constexpr std::uint32_t kNotInGroup = 1u << 24;

constexpr std::array<std::uint32_t, 256> MakeShiftedTable(int shift) {
  std::array<std::uint32_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t v = kValues[static_cast<std::size_t>(c)];
    table[static_cast<std::size_t>(c)] =
        v < 64 ? static_cast<std::uint32_t>(v) << shift : kNotInGroup;
  }
  return table;
}

constexpr auto kShifted0 = MakeShiftedTable(18);
constexpr auto kShifted1 = MakeShiftedTable(12);
constexpr auto kShifted2 = MakeShiftedTable(6);
constexpr auto kShifted3 = MakeShiftedTable(0);

void EncodeGroup(const unsigned char* in, char* out) {
  const std::uint32_t bits = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
  std::memcpy(out, kPairs[bits >> 12].data(), 2);
  std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
}

// Where encoding stands after the whole groups: input and output positions and the characters
// on the current line.
struct EncodePosition {
  int in = 0;
  int out = 0;
  int lineCount = 0;
};

// Encodes whole groups of three bytes while their characters, and the line end a group
// completes, fit; the rest is left to the byte-at-a-time rules.
EncodePosition EncodeGroups(const unsigned char* in, int length, char* buffer, int capacity,
                            bool lineBreaks) {
  EncodePosition p;
  if (lineBreaks) {
    while (length - p.in >= kLineInput && capacity - p.out >= kLineLength + 2) {
      for (int g = 0; g < kLineLength / 4; ++g) {
        EncodeGroup(in + p.in + g * 3, buffer + p.out + g * 4);
      }
      p.in += kLineInput;
      p.out += kLineLength;
      buffer[p.out++] = '\r';
      buffer[p.out++] = '\n';
    }
  }
  while (length - p.in >= 3) {
    const bool endsLine = lineBreaks && p.lineCount + 4 == kLineLength;
    if (capacity - p.out < (endsLine ? 6 : 4)) break;
    EncodeGroup(in + p.in, buffer + p.out);
    p.in += 3;
    p.out += 4;
    p.lineCount += 4;
    if (endsLine) {
      buffer[p.out++] = '\r';
      buffer[p.out++] = '\n';
      p.lineCount = 0;
    }
  }
  return p;
}

// Encodes the rest byte at a time: the last partial group, or everything once the capacity runs
// short, where a line end or a pad character may have to be left out.
int EncodeRest(const unsigned char* in, int length, char* buffer, int capacity, bool lineBreaks,
               EncodePosition p) {
  int out = p.out;
  int lineCount = p.lineCount;
  unsigned carry = 0;
  for (int i = p.in; i < length && out < capacity; ++i) {
    const unsigned b = in[i];
    switch (i % 3) {
      case 0:
        buffer[out++] = kAlphabet[b >> 2];
        carry = (b & 3) << 4;
        lineCount += 1;
        break;
      case 1:
        buffer[out++] = kAlphabet[(b >> 4) | carry];
        carry = (b & 0x0F) << 2;
        lineCount += 1;
        break;
      default:
        buffer[out++] = kAlphabet[(b >> 6) | carry];
        lineCount += 1;
        if (out < capacity) {
          buffer[out++] = kAlphabet[b & 0x3F];
          lineCount += 1;
        }
        break;
    }
    if (lineBreaks && lineCount >= kLineLength) {
      if (capacity - out >= 2) {
        buffer[out++] = '\r';
        buffer[out++] = '\n';
      }
      lineCount = 0;
    }
  }
  const int leftover = length % 3;
  if (leftover != 0 && out < capacity) {
    buffer[out++] = kAlphabet[carry];
    lineCount += 1;
    const int pads = 3 - leftover;
    if (capacity - out >= pads) {
      for (int k = 0; k < pads; ++k) {
        buffer[out++] = '=';
      }
      lineCount += pads;
    }
  }
  if (lineBreaks && lineCount != 0 && capacity - out >= 2) {
    buffer[out++] = '\r';
    buffer[out++] = '\n';
  }
  return out;
}

// Decodes whole groups of four alphabet bytes while three bytes of room remain; stops in front
// of a group holding anything else.
void DecodeGroups(const unsigned char* in, int length, int& i, char* buffer, int capacity,
                  int& out) {
  while (length - i >= 4 && capacity - out >= 3) {
    const std::uint32_t bits =
        kShifted0[in[i]] | kShifted1[in[i + 1]] | kShifted2[in[i + 2]] | kShifted3[in[i + 3]];
    if ((bits & kNotInGroup) != 0) return;
    buffer[out] = static_cast<char>(bits >> 16);
    buffer[out + 1] = static_cast<char>(bits >> 8);
    buffer[out + 2] = static_cast<char>(bits);
    i += 4;
    out += 3;
  }
}

}  // namespace

int Base64Codec::EncodedLength() {
  const std::int64_t n = (static_cast<std::int64_t>(InputLength()) + 2) / 3 * 4;
  return ClampLength(lineBreaks_ ? n + n / kLineLength * 2 + 2 : n);
}

int Base64Codec::DecodedLength() {
  return ClampLength(static_cast<std::int64_t>(InputLength()) * 3 / 4 + 2);
}

int Base64Codec::Encode(char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  const EncodePosition p = EncodeGroups(in, length, buffer, capacity, lineBreaks_);
  return EncodeRest(in, length, buffer, capacity, lineBreaks_, p);
}

int Base64Codec::Decode(char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  int i = 0;
  int out = 0;
  unsigned k = 0;  // position of the next value in its group of four
  unsigned carry = 0;
  while (i < length && out < capacity) {
    if (k == 0) {
      DecodeGroups(in, length, i, buffer, capacity, out);
      if (i == length || out == capacity) break;
    }
    // A line end, the last group or the byte that ends decoding: one byte at a time.
    const std::uint8_t v = kValues[in[i++]];
    if (v == kSkip) continue;
    if (v == kStop) break;
    switch (k) {
      case 0:
        carry = (v << 2) & 0xFF;
        break;
      case 1:
        buffer[out++] = static_cast<char>(carry | (v >> 4));
        carry = (v << 4) & 0xFF;
        break;
      case 2:
        buffer[out++] = static_cast<char>(carry | (v >> 2));
        carry = (v << 6) & 0xFF;
        break;
      default:
        buffer[out++] = static_cast<char>(carry | v);
        break;
    }
    k = (k + 1) % 4;
  }
  return out;
}

}  // namespace vandrel::mime
