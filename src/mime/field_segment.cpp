#include "mime/field_segment.h"

#include <cstdint>

#include "mime/char_class.h"
#include "mime/field_codec.h"

namespace vandrel::mime {

int FindWordEnd(const char* text, int length, int& closer, int& nonAsciiCount) {
  nonAsciiCount = 0;
  int i = 0;
  for (; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      ++nonAsciiCount;
      continue;
    }
    if (closer != 0) {
      if (c != closer) continue;
      closer = 0;
      break;
    }
    if (!HasCharClass(text[i], kSpace | kSpecial)) continue;
    if (c == '"') closer = '"';
    if (c == '(') closer = ')';
    if (c == '<') closer = '>';
    break;
  }
  return i;
}

namespace {

FieldSegment ScanSegment(const char* text, int length, int& closer) {
  FieldSegment segment;
  segment.length = FindWordEnd(text, length, closer, segment.nonAscii);
  if (segment.length < length) {
    segment.hasEnder = true;
    segment.ender = text[segment.length];
  }
  return segment;
}

}  // namespace

FieldSegment NextFieldSegment(const char* text, int length, int& closer) {
  FieldSegment segment = ScanSegment(text, length, closer);
  // A blank ends a segment only outside quotes, comments and angle addresses, so the closer is 0
  // here and the blanks that follow are empty segments of their own.
  while (segment.nonAscii > 0 && segment.hasEnder && IsSpaceChar(segment.ender)) {
    int next = segment.consumed();
    while (next < length && IsSpaceChar(text[next]))
      ++next;
    int nextCloser = closer;
    const FieldSegment following = ScanSegment(text + next, length - next, nextCloser);
    if (following.nonAscii == 0) break;
    closer = nextCloser;
    segment.length = next + following.length;
    segment.nonAscii += following.nonAscii;
    segment.hasEnder = following.hasEnder;
    segment.ender = following.ender;
  }
  return segment;
}

char ChooseWordEncoding(int length, int nonAscii) {
  const std::int64_t q = length + 2 * static_cast<std::int64_t>(nonAscii);
  const std::int64_t b = (static_cast<std::int64_t>(length) + 2) / 3 * 4;
  return q > b && 5 * static_cast<std::int64_t>(nonAscii) > length ? 'B' : 'Q';
}

}  // namespace vandrel::mime
