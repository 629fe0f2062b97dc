// How a message lies in an mbox file, decided here alone: CR LF line ends (the form the Windows
// program wrote, on every system); body lines that would read as the start of a new message
// ("From " after any number of ">") get one more ">"; and a blank line after the message.
#pragma once

#include <string>

namespace vandrel {

// In place. The first line is the message's own "From " separator and stays as it is; a CR
// that comes right before a line feed is part of the line end.
void ToMboxMessage(std::string& text);

}  // namespace vandrel
