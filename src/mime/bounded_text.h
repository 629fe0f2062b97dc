// Reading helpers that never look outside the text they are given: a byte beyond the end reads
// as NUL, which is what a terminated string would show there.
#pragma once

#include <climits>
#include <cstddef>
#include <string_view>

namespace vandrel::mime {

constexpr char ByteAt(std::string_view text, std::size_t index) {
  return index < text.size() ? text[index] : '\0';
}

// Texts and sizes are 32-bit signed throughout the library.
constexpr std::size_t kMaxTextLength = INT_MAX;

inline constexpr std::string_view kCrLf = "\r\n";

}  // namespace vandrel::mime
