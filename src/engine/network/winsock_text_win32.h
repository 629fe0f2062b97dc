// Windows' reasons for network failures, in words.
#pragma once

#include <optional>
#include <string>

namespace vandrel::network {

// A Winsock or Windows error code's text; the common failures in the words other systems use.
// None when Windows has no text for the code.
std::optional<std::string> WinsockWords(int code);
// The same, or "error CODE".
std::string WinsockText(int code);

}  // namespace vandrel::network
