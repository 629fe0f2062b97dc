// How a message lies in an mbox file, decided here alone: a "From " separator line in the
// classic form every mbox reader accepts; the message's lines, each that would read as the start
// of a new message ("From " after any number of ">") with one more ">" (mboxrd); a blank line
// after it. Line ends are CR LF, as the message has them, on every system.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/converting/converted_message.h"

namespace vandrel {

// "From " + address + " " + the date as asctime writes it; the start of the Unix epoch when
// there is no date.
std::string SeparatorLine(std::string_view envelopeAddress, const std::optional<CalypsoDate>& date);

// The message in its mbox form, handed out in pieces in order; stops at the first piece
// `write` refuses, and says whether all went.
bool WriteMboxMessage(const ConvertedMessage& message,
                      const std::function<bool(std::string_view)>& write);

}  // namespace vandrel
