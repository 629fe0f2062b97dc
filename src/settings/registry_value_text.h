// The text forms of numeric and binary registry values that the store takes in and gives out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// Reads text the way the C library reads an unsigned long in base 16 where that type has 32 bits:
// leading white space, an optional sign and "0x" are skipped, reading stops at the first
// character that is not a hexadecimal digit, a value that does not fit gives 0xffffffff and a
// minus sign negates modulo 2^32. Text without digits gives 0.
std::uint32_t ParseHexNumber(std::string_view text);

// Reads a list of bytes written as two hexadecimal digits each and separated by ",", with white
// space (line breaks included) allowed around every entry. Empty text is an empty list; any entry
// that is not exactly two digits makes the whole list unreadable.
std::optional<std::string> ParseByteList(std::string_view text);

// Eight lower-case hexadecimal digits, most significant first, of the little-endian number held in
// the first four bytes (missing bytes count as zero).
std::string FormatDword(std::string_view bytes);

// Two lower-case digits per byte, "," between bytes, and a line break after byte 12 and after
// every 27th byte from there (39, 66, ...).
std::string FormatByteList(std::string_view bytes);

}  // namespace vandrel
