// ASCII-only case handling: names of fields, parameters, types and encodings ignore letter case,
// while bytes above 0x7F are compared exactly.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::mime {

constexpr char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

constexpr bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

// True when `text` begins with `prefix`, ignoring ASCII case.
constexpr bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

constexpr char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = ToUpperAscii(c);
  return out;
}

inline std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = ToLowerAscii(c);
  return out;
}

}  // namespace vandrel::mime
