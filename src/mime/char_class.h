// Character classes of 7-bit bytes, shared by the codecs and the header parsers.
#pragma once

#include <array>
#include <cstdint>

namespace vandrel::mime {

enum CharClassBit : std::uint8_t {
  kControl = 0x01,
  kSpace = 0x02,
  kAlphaNum = 0x04,
  kPunct = 0x10,
  kSpecial = 0x20,
  kHexDigit = 0x40,
};

namespace detail {

constexpr std::array<std::uint8_t, 128> MakeCharClass() {
  std::array<std::uint8_t, 128> table{};
  for (int c = 0; c < 128; ++c) {
    std::uint8_t bits = 0;
    const bool digit = c >= '0' && c <= '9';
    const bool upper = c >= 'A' && c <= 'Z';
    const bool lower = c >= 'a' && c <= 'z';
    if (c < 0x20 || c == 0x7F) bits |= kControl;
    if (c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ') bits |= kSpace;
    if (digit || upper || lower) bits |= kAlphaNum;
    if (c >= 0x21 && c <= 0x7E && !(digit || upper || lower)) bits |= kPunct;
    switch (c) {
      case '"': case '(': case ')': case ',': case '.': case ':': case ';':
      case '<': case '>': case '=': case '@': case '[': case ']': case '\\':
        bits |= kSpecial;
        break;
      default:
        break;
    }
    if (digit || (c >= 'A' && c <= 'F')) bits |= kHexDigit;
    table[static_cast<std::size_t>(c)] = bits;
  }
  return table;
}

}  // namespace detail

// Indexed by a 7-bit character code; bytes of 0x80 and above belong to no class.
inline constexpr std::array<std::uint8_t, 128> CharClass = detail::MakeCharClass();

constexpr bool HasCharClass(char c, std::uint8_t bits) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x80 && (CharClass[byte] & bits) != 0;
}

constexpr bool IsSpaceChar(char c) { return HasCharClass(c, kSpace); }
constexpr bool IsSpecialChar(char c) { return HasCharClass(c, kSpecial); }
constexpr bool IsHexDigitChar(char c) { return HasCharClass(c, kHexDigit); }
constexpr bool IsAlphaNumChar(char c) { return HasCharClass(c, kAlphaNum); }
constexpr bool IsNonAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

}  // namespace vandrel::mime
