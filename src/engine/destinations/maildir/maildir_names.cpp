#include "engine/destinations/maildir/maildir_names.h"

#include <string>

#include "engine/utf8_text.h"

namespace vandrel {

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";

// The character at `at` of well-formed UTF-8, and how many bytes it has.
char32_t DecodeAt(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k)
    c = (c << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
  return c;
}

void AppendUtf16(char32_t c, std::u16string& units) {
  if (c < 0x10000) {
    units += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    units += static_cast<char16_t>(0xD800 + (c >> 10));
    units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

void AppendBase64(const std::u16string& units, std::string& out) {
  std::uint32_t bits = 0;
  int count = 0;
  out += '&';
  for (char16_t unit : units) {
    bits = (bits << 16) | unit;
    count += 16;
    while (count >= 6) {
      count -= 6;
      out += kBase64[(bits >> count) & 0x3F];
    }
  }
  if (count > 0) out += kBase64[(bits << (6 - count)) & 0x3F];
  out += '-';
}

bool IsRefusedCharacter(char32_t c, bool fileName) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == '.' || c == '/') return true;
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return true;  // no character: no UTF-16
#ifdef _WIN32
  if (fileName && (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
                   c == '*' || c == '\\'))
    return true;
#else
  (void)fileName;
#endif
  return false;
}

// Whether the bytes at `at` start a well-formed UTF-8 character.
bool IsCharacterAt(std::string_view text, std::size_t at, std::size_t& length) {
  for (length = 1; length <= 4 && at + length <= text.size(); ++length) {
    if (IsUtf8(text.substr(at, length))) return true;
  }
  length = 1;
  return false;
}

}  // namespace

std::string ModifiedUtf7(std::string_view utf8) {
  std::string out;
  std::u16string pending;
  for (std::size_t at = 0, length = 1; at < utf8.size(); at += length) {
    const char32_t c = DecodeAt(utf8, at, length);
    if (c >= 0x20 && c <= 0x7E) {
      if (!pending.empty()) AppendBase64(pending, out);
      pending.clear();
      out += c == '&' ? std::string("&-") : std::string(1, static_cast<char>(c));
    } else {
      AppendUtf16(c, pending);
    }
  }
  if (!pending.empty()) AppendBase64(pending, out);
  return out;
}

namespace {

std::string UsableName(std::string_view segment, bool fileName) {
  std::string out;
  for (std::size_t at = 0, length = 1; at < segment.size(); at += length) {
    if (!IsCharacterAt(segment, at, length)) {
      out += '_';
      continue;
    }
    std::size_t decoded = 0;
    out += IsRefusedCharacter(DecodeAt(segment, at, decoded), fileName)
               ? std::string("_")
               : std::string(segment.substr(at, length));
  }
  return out;
}

}  // namespace

std::string UsableSegment(std::string_view segment) {
  return UsableName(segment, true);
}

std::string UsableMailboxSegment(std::string_view segment) {
  return UsableName(segment, false);
}

// Encoded, a character never takes fewer than 8 bytes for each 9 of its UTF-8 (three-byte
// characters, 16 bits in base64), so twice the room in UTF-8 is more than can ever fit: a name
// of megabytes is cut to that at once rather than a character at a time.
std::string StoredSegment(std::string_view usableSegment, std::string_view suffix,
                          std::size_t room) {
  std::string name(usableSegment);
  CutToLength(name, 2 * room + 8);
  while (!name.empty()) {
    const std::string encoded = ModifiedUtf7(name);
    if (encoded.size() + suffix.size() <= room) return encoded + std::string(suffix);
    CutToLength(name, name.size() - 1);
  }
  return {};
}

}  // namespace vandrel
