#include "mime/quoted_printable_codec.h"

#include <cstdint>
#include <cstring>

#include "mime/char_class.h"
#include "mime/length_bound.h"

namespace vandrel::mime {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMaxLine = 76;

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

}  // namespace

int QuotedPrintableCodec::EncodedLength() {
  const char* in = Input();
  std::int64_t s = InputLength();
  for (int i = 0; i < InputLength(); ++i) {
    if (!IsAlphaNumChar(in[i])) s += 2;
  }
  return ClampLength(s + s / 74 * 6);
}

int QuotedPrintableCodec::Encode(char* buffer, int capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
  int out = 0;
  int lineLength = 0;
  int breakCandidate = -1;  // output position of the last blank written on this line
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
    if (lineLength + width >= kMaxLine && capacity - out >= 3) {
      const int moved = breakCandidate >= 0 ? out - (breakCandidate + 1) : -1;
      // Breaking after the blank must leave room for the byte on the new line, or the new line
      // would outgrow the limit before the next break.
      if (breakCandidate >= 0 && breakCandidate < out && moved + width < kMaxLine) {
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
      // A soft break may have taken the last of the room.
      if (out == capacity) break;
      buffer[out++] = static_cast<char>(c);
      lineLength += 1;
    }
  }
  return out;
}

int QuotedPrintableCodec::Decode(char* buffer, int capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  const int length = InputLength();
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
      // The low nibble is taken unchecked, so lower-case hex digits also decode here.
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
  return out;
}

}  // namespace vandrel::mime
