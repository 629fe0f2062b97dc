#include "engine/reading/unicode_export.h"

#include "engine/utf8_text.h"

namespace vandrel {

namespace {

bool IsHighSurrogate(unsigned unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The length of the UTF-8 character that starts with `lead`, 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 0;
}

}  // namespace

ByteOrderMark DetectByteOrderMark(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF")) return ByteOrderMark::kUtf8;
  if (start.starts_with("\xFF\xFE")) return ByteOrderMark::kUtf16LittleEndian;
  if (start.starts_with("\xFE\xFF")) return ByteOrderMark::kUtf16BigEndian;
  return ByteOrderMark::kNone;
}

std::size_t MarkLength(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::kUtf8:
      return 3;
    case ByteOrderMark::kUtf16LittleEndian:
    case ByteOrderMark::kUtf16BigEndian:
      return 2;
    case ByteOrderMark::kNone:
      break;
  }
  return 0;
}

void Utf16Decoder::Decode(std::string_view bytes, std::string& utf8) {
  std::size_t i = 0;
  if (haveOddByte_ && !bytes.empty()) {
    const auto second = static_cast<unsigned char>(bytes[0]);
    Unit(bigEndian_ ? (oddByte_ << 8 | second) : (second << 8 | oddByte_), utf8);
    haveOddByte_ = false;
    i = 1;
  }
  for (; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    Unit(bigEndian_ ? (first << 8 | second) : (second << 8 | first), utf8);
  }
  if (i < bytes.size()) {
    haveOddByte_ = true;
    oddByte_ = static_cast<unsigned char>(bytes[i]);
  }
}

void Utf16Decoder::Unit(unsigned unit, std::string& utf8) {
  if (pendingHigh_ != 0) {
    if (IsLowSurrogate(unit)) {
      AppendUtf8(0x10000 + ((pendingHigh_ - 0xD800) << 10) + (unit - 0xDC00), utf8);
      pendingHigh_ = 0;
      return;
    }
    utf8 += '?';
    pendingHigh_ = 0;
  }
  if (IsHighSurrogate(unit)) {
    pendingHigh_ = unit;
  } else if (IsLowSurrogate(unit)) {
    utf8 += '?';
  } else {
    AppendUtf8(unit, utf8);
  }
}

void Utf16Decoder::Finish(std::string& utf8) {
  if (pendingHigh_ != 0) utf8 += '?';
  if (haveOddByte_) utf8 += '?';
  pendingHigh_ = 0;
  haveOddByte_ = false;
}

// Strictly: no overlong forms, no surrogates, nothing past U+10FFFF. Converting such bytes
// would turn each into "?", and three of them after "From ???@" would make a separator line
// that is not in the export.
void Utf8Checker::Feed(std::string_view bytes) {
  for (std::size_t i = 0; valid_ && i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (needed_ > 0) {
      valid_ = byte >= low_ && byte <= high_;
      low_ = 0x80;
      high_ = 0xBF;
      --needed_;
    } else if (byte >= 0x80) {
      if (byte >= 0xC2 && byte <= 0xDF) {
        needed_ = 1;
      } else if (byte >= 0xE0 && byte <= 0xEF) {
        needed_ = 2;
        low_ = byte == 0xE0 ? 0xA0 : 0x80;
        high_ = byte == 0xED ? 0x9F : 0xBF;
      } else if (byte >= 0xF0 && byte <= 0xF4) {
        needed_ = 3;
        low_ = byte == 0xF0 ? 0x90 : 0x80;
        high_ = byte == 0xF4 ? 0x8F : 0xBF;
      } else {
        valid_ = false;
      }
    }
  }
}

std::size_t WholeUtf8Characters(std::string_view text) {
  // Look back over at most three continuation bytes for the start of the last character.
  std::size_t start = text.size();
  for (int back = 0; back < 4 && start > 0; ++back) {
    --start;
    const auto byte = static_cast<unsigned char>(text[start]);
    if ((byte & 0xC0) != 0x80) {
      const std::size_t length = SequenceLength(byte);
      return (length != 0 && start + length > text.size()) ? start : text.size();
    }
  }
  return text.size();
}

}  // namespace vandrel
