// When a message was written, as a point in time: for stores that keep it beside the text
// (a Maildir file's time, which IMAP servers give as the message's arrival).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/converting/converted_message.h"

namespace vandrel {

// Seconds since 1970-01-01 00:00 UTC of a "Date:" value in the form mail has (RFC 5322, with
// its obsolete forms: no weekday, two- or three-digit years, named zones, comments, folds, no
// seconds); nothing when it has another form or a value out of range. A missing or unknown
// zone is not guessed: the value is refused.
std::optional<std::int64_t> DateFieldTime(std::string_view value);

// The message's Date field, else the date the export gave it (taken as UTC), else nothing.
std::optional<std::int64_t> MessageTime(const ConvertedMessage& message);

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar.
std::int64_t DaysSinceEpoch(std::int64_t year, int month, int day);

}  // namespace vandrel
