#include "log/visible_text.h"

#include <cstddef>

namespace vandrel {
namespace {

constexpr std::string_view kLineSeparator = "\r\n";

// The length of the well-formed UTF-8 character at the start, 0 when there is none. Overlong
// forms, surrogates and code points beyond U+10FFFF are not well-formed.
std::size_t CharacterLength(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte; the later ones are 80 to BF
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i, low = 0x80, high = 0xBF) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < low || next > high) return 0;
  }
  return length;
}

// The C0 or C1 control or DEL a well-formed character is, or -1 when it is none. A C1 control
// is the two bytes C2 80 to C2 9F.
int ControlOf(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return lead < 0x20 || lead == 0x7F ? lead : -1;
  const auto next = static_cast<unsigned char>(character[1]);
  return character.size() == 2 && lead == 0xC2 && next < 0xA0 ? next : -1;
}

// Copies the text, but has `show` append what stands for each control (its code point) and
// each byte outside well-formed UTF-8 (the byte): both are numbers below 0x100.
template <typename Show>
std::string Rewrite(std::string_view bytes, Show show) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = CharacterLength(bytes);
    if (length == 0) {
      show(static_cast<unsigned char>(bytes[0]), text);
      bytes.remove_prefix(1);
      continue;
    }
    const std::string_view character = bytes.substr(0, length);
    const int control = ControlOf(character);
    if (control < 0) {
      text.append(character);
    } else {
      show(static_cast<unsigned char>(control), text);
    }
    bytes.remove_prefix(length);
  }
  return text;
}

void AppendEscape(unsigned char value, std::string& text) {
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  text += "\\x";
  text += kHexDigits[value >> 4];
  text += kHexDigits[value & 0xF];
}

// Only C0 controls have pictures of their own; DEL's stands apart from theirs.
void AppendPicture(unsigned char value, std::string& text) {
  if (value < 0x20) {
    text += "\xE2\x90";  // U+2400 + value
    text += static_cast<char>(0x80 + value);
  } else if (value == 0x7F) {
    text += "\xE2\x90\xA1";  // U+2421
  } else {
    text += "\xEF\xBF\xBD";  // U+FFFD
  }
}

}  // namespace

std::string TerminalText(std::string_view bytes) {
  return Rewrite(bytes, AppendEscape);
}

std::string VisibleText(std::string_view bytes) {
  return Rewrite(bytes, AppendPicture);
}

std::string VisibleLogText(std::string_view bytes) {
  std::string text;
  for (;;) {
    const std::size_t end = bytes.find(kLineSeparator);
    text += VisibleText(bytes.substr(0, end));
    if (end == std::string_view::npos) return text;
    text += kLineSeparator;
    bytes.remove_prefix(end + kLineSeparator.size());
  }
}

}  // namespace vandrel
