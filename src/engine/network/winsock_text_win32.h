// Windows' reasons for network failures, in words.
#pragma once

#include <string>

namespace vandrel::network {

// A Winsock or Windows error code's text; the common failures in the words other systems use.
std::string WinsockText(int code);

}  // namespace vandrel::network
