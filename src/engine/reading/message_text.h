// One exported message: its separator line and every following line up to the next
// separator, each line followed by CR LF.
#pragma once

#include <string>

namespace vandrel {

using MessageText = std::string;

}  // namespace vandrel
