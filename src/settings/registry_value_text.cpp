#include "settings/registry_value_text.h"

#include <cstddef>

namespace vandrel {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::uint64_t kMaxDword = 0xffffffffu;

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimSpace(std::string_view text) {
  while (!text.empty() && IsCSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsCSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

void AppendHexByte(std::string& out, unsigned char byte) {
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0f];
}

}  // namespace

std::uint32_t ParseHexNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      HexDigitValue(text[i + 2]) >= 0) {
    i += 2;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
    if (overflow) continue;
    value = value * 16 + static_cast<std::uint64_t>(HexDigitValue(text[i]));
    overflow = value > kMaxDword;
  }
  if (overflow) return static_cast<std::uint32_t>(kMaxDword);
  const auto number = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - number) : number;
}

std::optional<std::string> ParseByteList(std::string_view text) {
  std::string bytes;
  if (TrimSpace(text).empty()) return bytes;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view entry = TrimSpace(text.substr(0, comma));
    if (entry.size() != 2) return std::nullopt;
    const int high = HexDigitValue(entry[0]);
    const int low = HexDigitValue(entry[1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
    if (comma == std::string_view::npos) return bytes;
    text.remove_prefix(comma + 1);
  }
}

std::string FormatDword(std::string_view bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    AppendHexByte(text, static_cast<unsigned char>(value >> shift));
  }
  return text;
}

std::string FormatByteList(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 3 + bytes.size() / 27 + 1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    AppendHexByte(text, static_cast<unsigned char>(bytes[i]));
    if (i + 1 < bytes.size()) text += ',';
    if (i % 27 == 12) text += '\n';
  }
  return text;
}

}  // namespace vandrel
