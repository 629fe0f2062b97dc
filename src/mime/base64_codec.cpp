#include "mime/base64_codec.h"

#include <array>
#include <cstdint>

#include "mime/length_bound.h"

namespace vandrel::mime {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineLength = 76;

// 0..63 for alphabet bytes, kSkip for CR and LF, kStop for everything else.
constexpr std::uint8_t kSkip = 0xFE;
constexpr std::uint8_t kStop = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& v : table) v = kStop;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  table['\r'] = kSkip;
  table['\n'] = kSkip;
  return table;
}

constexpr std::array<std::uint8_t, 256> kDecodeTable = MakeDecodeTable();

}  // namespace

int Base64Codec::EncodedLength() {
  const std::int64_t n = (static_cast<std::int64_t>(InputLength()) + 2) / 3 * 4;
  return ClampLength(lineBreaks_ ? n + n / kLineLength * 2 + 2 : n);
}

int Base64Codec::DecodedLength() {
  return ClampLength(static_cast<std::int64_t>(InputLength()) * 3 / 4 + 2);
}

int Base64Codec::Encode(char* buffer, int capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  int out = 0;
  int lineCount = 0;
  unsigned carry = 0;
  for (int i = 0; i < length && out < capacity; ++i) {
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
    if (lineBreaks_ && lineCount >= kLineLength) {
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
      for (int p = 0; p < pads; ++p) buffer[out++] = '=';
      lineCount += pads;
    }
  }
  if (lineBreaks_ && lineCount != 0 && capacity - out >= 2) {
    buffer[out++] = '\r';
    buffer[out++] = '\n';
  }
  return out;
}

int Base64Codec::Decode(char* buffer, int capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  int out = 0;
  unsigned k = 0;
  unsigned carry = 0;
  for (int i = 0; i < length && out < capacity; ++i) {
    const std::uint8_t v = kDecodeTable[in[i]];
    if (v == kSkip) continue;
    if (v == kStop) break;
    switch (k++ % 4) {
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
  }
  return out;
}

}  // namespace vandrel::mime
