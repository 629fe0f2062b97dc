// How the field encoder cuts a value into the pieces it writes one by one.
#pragma once

namespace vandrel::mime {

// One piece of a field value: `length` bytes of text, of which `nonAscii` are above 0x7F,
// followed (unless the value ends) by the byte that ended it.
struct FieldSegment {
  int length = 0;
  int nonAscii = 0;
  bool hasEnder = false;
  char ender = 0;

  // Text and ender: how far the value position moves past this segment.
  int consumed() const { return length + (hasEnder ? 1 : 0); }
};

// The next segment at the start of `text`, like FindWordEnd, except that 8-bit words separated
// only by blanks come back as one segment: written as separate encoded words, the blanks between
// them would be dropped by every decoder.
FieldSegment NextFieldSegment(const char* text, int length, int& closer);

// 'B' or 'Q' for a segment of `length` bytes with `nonAscii` of them above 0x7F: base64 only
// when it is shorter and most of the text would need escapes anyway.
char ChooseWordEncoding(int length, int nonAscii);

}  // namespace vandrel::mime
