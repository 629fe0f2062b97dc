#include "engine/destinations/thunderbird/thunderbird_names.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/utf8_text.h"

namespace vandrel {

namespace {

// Characters Thunderbird replaces by hashing: path separators, what file systems refuse,
// control characters, and ";" and "#".
#ifdef _WIN32
constexpr std::u16string_view kRefused = u"\\/:*?\"<>|;#";
#else
constexpr std::u16string_view kRefused = u"/:*?\"<>|;#";
#endif

bool IsRefused(char16_t unit) {
  return (unit >= 0x01 && unit <= 0x1F) || (unit >= 0x7F && unit <= 0x9F) ||
         kRefused.find(unit) != std::u16string_view::npos;
}
constexpr std::u16string_view kIllegalFirst = u".";
constexpr std::u16string_view kIllegalLast = u".~ ";

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    char32_t code = extra == 0   ? lead
                    : extra == 1 ? lead & 0x1F
                    : extra == 2 ? lead & 0x0F
                                 : lead & 0x07;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code > 0x10FFFF) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size()) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    AppendUtf8(code, out);
  }
  return out;
}

// Thunderbird's string hash, over the name's UTF-16 code units as little-endian bytes.
std::uint32_t NameHash(std::u16string_view name) {
  std::uint32_t hash = 1;
  for (char16_t unit : name) {
    for (const std::uint32_t byte :
         {static_cast<std::uint32_t>(unit & 0xFF), static_cast<std::uint32_t>(unit >> 8)}) {
      hash = 0x63c63cd9u * hash + 0x9c39c33du + byte;
    }
  }
  return hash;
}

// Where the name must be cut for its hash, or npos when it can stay as it is.
std::size_t KeptLength(std::u16string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsRefused(name[i])) return i;
  }
  if (name.empty()) return std::u16string_view::npos;
  if (kIllegalFirst.find(name.front()) != std::u16string_view::npos) return 0;
  if (kIllegalLast.find(name.back()) != std::u16string_view::npos) return name.size() - 1;
  if (name.size() <= kThunderbirdMaxFileName) return std::u16string_view::npos;
  std::size_t kept = kThunderbirdMaxFileName - 8;
  // Never half of a surrogate pair.
  if (name[kept - 1] >= 0xD800 && name[kept - 1] < 0xDC00) --kept;
  return kept;
}

}  // namespace

std::string ThunderbirdFileName(std::string_view folderName) {
  const std::u16string name = Utf8ToUtf16(folderName);
  const std::size_t kept = KeptLength(name);
  if (kept == std::u16string_view::npos) return std::string(folderName);
  char hash[9];
  std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(NameHash(name)));
  return Utf16ToUtf8(std::u16string_view(name).substr(0, kept)) + hash;
}

}  // namespace vandrel
