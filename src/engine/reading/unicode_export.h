// An export that an editor saved again in Unicode: UTF-16 decoded to UTF-8, and UTF-8 checked,
// a block at a time, so that the whole file never has to be in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel {

enum class ByteOrderMark { kNone, kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

// The mark the text starts with; a text too short to tell has none.
ByteOrderMark DetectByteOrderMark(std::string_view start);
std::size_t MarkLength(ByteOrderMark mark);

// UTF-16 to UTF-8. An unpaired surrogate and an odd last byte become one "?" each, as a
// character the export's code page lacks does later.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}
  // Appends the UTF-8 of the next bytes; a unit or surrogate pair cut by the block waits for
  // the next one.
  void Decode(std::string_view bytes, std::string& utf8);
  // The end of the input: what is still waiting becomes "?".
  void Finish(std::string& utf8);

 private:
  void Unit(unsigned unit, std::string& utf8);

  bool bigEndian_;
  bool haveOddByte_ = false;
  unsigned char oddByte_ = 0;
  unsigned pendingHigh_ = 0;  // a high surrogate waiting for its low one; 0 for none
};

// Whether a text given in blocks is well-formed UTF-8 as a whole: every lead byte followed by
// as many continuation bytes as it announces, every character in its shortest form, none a
// surrogate or past U+10FFFF.
class Utf8Checker {
 public:
  void Feed(std::string_view bytes);
  bool StillValid() const { return valid_; }
  bool Finish() const { return valid_ && needed_ == 0; }

 private:
  bool valid_ = true;
  std::size_t needed_ = 0;    // continuation bytes the last lead byte still waits for
  unsigned char low_ = 0x80;  // the range of the next continuation byte
  unsigned char high_ = 0xBF;
};

// The length of the text's longest start that ends with a whole UTF-8 character.
std::size_t WholeUtf8Characters(std::string_view text);

}  // namespace vandrel
