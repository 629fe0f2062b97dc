#include "reference_codecs.h"

#include <cstdint>
#include <cstring>

#include "mime/char_class.h"

namespace vandrel::mime::reference {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kBase64Line = 76;
constexpr int kMaxQpLine = 76;

// 0..63 for an alphabet byte, -1 for CR and LF (skipped), -2 for anything else (stop).
int Base64Value(unsigned char c) {
  if (c == '\r' || c == '\n') return -1;
  const void* hit = std::memchr(kAlphabet, c, 64);
  return hit == nullptr ? -2 : static_cast<int>(static_cast<const char*>(hit) - kAlphabet);
}

// Whether input byte i is written as "=XY".
bool MustEscape(const unsigned char* in, int length, int i) {
  const unsigned char c = in[i];
  if (c == ' ' || c == '\t') return i + 1 == length || in[i + 1] == '\r';
  if (c == '\r' || c == '\n') return false;
  if (c == '.') {
    return i >= 2 && in[i - 2] == '\r' && in[i - 1] == '\n' && i + 2 < length &&
           in[i + 1] == '\r' && in[i + 2] == '\n';
  }
  return c < 0x21 || c > 0x7E || c == '=';
}

std::string Sized(int capacity) {
  return std::string(capacity > 0 ? static_cast<std::size_t>(capacity) : 0, '\0');
}

}  // namespace

std::string Base64Encode(std::string_view input, bool lineBreaks, int capacity) {
  std::string result = Sized(capacity);
  char* buffer = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(input.data());
  const int length = static_cast<int>(input.size());
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
    if (lineBreaks && lineCount >= kBase64Line) {
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
      for (int p = 0; p < pads; ++p) {
        buffer[out++] = '=';
      }
      lineCount += pads;
    }
  }
  if (lineBreaks && lineCount != 0 && capacity - out >= 2) {
    buffer[out++] = '\r';
    buffer[out++] = '\n';
  }
  result.resize(static_cast<std::size_t>(out));
  return result;
}

std::string Base64Decode(std::string_view input, int capacity) {
  std::string result = Sized(capacity);
  char* buffer = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(input.data());
  const int length = static_cast<int>(input.size());
  int out = 0;
  unsigned k = 0;
  unsigned carry = 0;
  for (int i = 0; i < length && out < capacity; ++i) {
    const int value = Base64Value(in[i]);
    if (value == -1) continue;
    if (value == -2) break;
    const auto v = static_cast<unsigned>(value);
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
  result.resize(static_cast<std::size_t>(out));
  return result;
}

// One deliberate difference from the plain rule: the break after the last blank is only taken
// when the bytes moved plus the current byte still fit on the new line; otherwise the new line
// could reach 77 characters.
std::string QuotedPrintableEncode(std::string_view input, int capacity) {
  std::string result = Sized(capacity);
  char* buffer = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(input.data());
  const int length = static_cast<int>(input.size());
  int out = 0;
  int lineLength = 0;
  int breakCandidate = -1;
  for (int i = 0; i < length && out < capacity; ++i) {
    const unsigned char c = in[i];
    const bool escaped = MustEscape(in, length, i);
    if (c == ' ' || c == '\t') {
      if (lineLength > 0) breakCandidate = out;
    } else if (c == '\r' || c == '\n') {
      lineLength = -1;
      breakCandidate = -1;
    }
    const int width = escaped ? 3 : 1;
    if (lineLength + width >= kMaxQpLine && capacity - out >= 3) {
      const int moved = breakCandidate >= 0 ? out - (breakCandidate + 1) : -1;
      if (breakCandidate >= 0 && breakCandidate < out && moved + width < kMaxQpLine) {
        char* after = buffer + breakCandidate + 1;
        std::memmove(after + 3, after, static_cast<std::size_t>(moved));
        std::memcpy(after, "=\r\n", 3);
        lineLength = moved;
      } else {
        std::memcpy(buffer + out, "=\r\n", 3);
        lineLength = 0;
      }
      out += 3;
      breakCandidate = -1;
    }
    if (escaped) {
      if (capacity - out < 3) break;
      buffer[out++] = '=';
      buffer[out++] = kHexDigits[c >> 4];
      buffer[out++] = kHexDigits[c & 0x0F];
      lineLength += 3;
    } else {
      // A soft break may have taken the last of the room; the literal rule would write past it.
      if (out == capacity) break;
      buffer[out++] = static_cast<char>(c);
      lineLength += 1;
    }
  }
  result.resize(static_cast<std::size_t>(out));
  return result;
}

int QuotedPrintableEncodedLength(std::string_view input) {
  std::int64_t counted = 0;
  for (const char c : input) {
    counted += IsAlphaNumChar(c) ? 1 : 3;
  }
  const std::int64_t total = counted + counted / 74 * 6;
  return total > INT32_MAX ? INT32_MAX : static_cast<int>(total);
}

std::string QuotedPrintableDecode(std::string_view input, int capacity) {
  std::string result = Sized(capacity);
  char* buffer = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(input.data());
  const int length = static_cast<int>(input.size());
  int out = 0;
  int i = 0;
  while (i < length && out < capacity) {
    const unsigned char c = in[i];
    if (c != '=') {
      buffer[out++] = static_cast<char>(c);
      i += 1;
    } else if (length - i - 1 < 2) {
      break;
    } else if (IsHexDigitChar(static_cast<char>(in[i + 1]))) {
      const unsigned high = in[i + 1] <= '9' ? in[i + 1] - '0' : in[i + 1] - 'A' + 10;
      const unsigned lowByte = in[i + 2];
      const unsigned low = (lowByte <= 0x39 ? lowByte - 0x30 : lowByte - 0x37) & 0x0F;
      buffer[out++] = static_cast<char>((high << 4) | low);
      i += 3;
    } else if (in[i + 1] == '\r' && in[i + 2] == '\n') {
      i += 3;
    } else {
      buffer[out++] = static_cast<char>(in[i + 1]);
      i += 2;
    }
  }
  result.resize(static_cast<std::size_t>(out));
  return result;
}

}  // namespace vandrel::mime::reference
