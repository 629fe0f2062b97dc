// The last step of a converted message: LF line ends, and body lines that would read as a new
// message in an mbox file ("From " after any number of ">") get one more ">".
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

std::string ToMboxText(std::string_view text);

}  // namespace vandrel
