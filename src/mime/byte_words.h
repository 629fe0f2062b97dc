// Eight bytes at a time. A word holds eight bytes of text, the first in its lowest bits whatever
// the machine's byte order; a mark is the high bit of a byte of the word, set exactly for the
// bytes that have some property, so marks of several properties combine with "|".
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace vandrel::mime {

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080;
inline constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

inline std::uint64_t LoadWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int k = 0; k < 8; ++k)
      swapped = (swapped << 8) | ((word >> (8 * k)) & 0xFF);
    word = swapped;
  }
  return word;
}

// The bytes from 0x80 up.
constexpr std::uint64_t MarkHighBytes(std::uint64_t word) {
  return word & kHighBits;
}

// The rest take the word with its high bits cleared (each byte below 0x80), so that no sum
// carries into the next byte.

// Bytes below `limit`, which lies in 1..0x80.
constexpr std::uint64_t MarkBelow(std::uint64_t low, unsigned limit) {
  return ~(low + kEveryByte * (0x80 - limit)) & kHighBits;
}

// Bytes above `limit`, which lies in 0..0x7F.
constexpr std::uint64_t MarkAbove(std::uint64_t low, unsigned limit) {
  return (low + kEveryByte * (0x7F - limit)) & kHighBits;
}

// Bytes equal to `value`, which lies below 0x80.
constexpr std::uint64_t MarkEqual(std::uint64_t low, unsigned char value) {
  return MarkBelow(low ^ (kEveryByte * value), 1);
}

// How many bytes come before the first marked one: 8 when none is marked.
constexpr int FirstMarked(std::uint64_t marks) {
  return std::countr_zero(marks) / 8;
}

// The last marked byte; -1 when none is marked.
constexpr int LastMarked(std::uint64_t marks) {
  return marks == 0 ? -1 : (63 - std::countl_zero(marks)) / 8;
}

// Marks of the first `count` bytes, 0 to 8.
constexpr std::uint64_t FirstBytes(std::uint64_t marks, int count) {
  return count >= 8 ? marks : marks & ((std::uint64_t{1} << (8 * count)) - 1);
}

// The eight bytes of a word added up.
constexpr int SumOfBytes(std::uint64_t word) {
  constexpr std::uint64_t kEverySecondByte = 0x00FF00FF00FF00FF;
  const std::uint64_t pairs = (word & kEverySecondByte) + ((word >> 8) & kEverySecondByte);
  return static_cast<int>((pairs * 0x0001000100010001) >> 48);
}

}  // namespace vandrel::mime
