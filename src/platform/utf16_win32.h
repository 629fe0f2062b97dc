// UTF-8, which the program works in everywhere, to and from the UTF-16 of the wide Windows API.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::platform {

// Malformed UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

}  // namespace vandrel::platform
