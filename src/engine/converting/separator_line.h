// What the export's separator line and a message's sender give a store's separator line or a
// file's time: the date the message came, and the sender's address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// The date on a Calypso separator line ("From ???@??? Mon Mar 01 19:42:10 2004").
struct CalypsoDate {
  std::string weekday;  // "Mon"
  std::string month;    // "Mar"
  int day = 0;
  std::string time;  // "19:42:10"
  std::string year;  // "2004"
};

// The date after "From ???@???" when all of the rest of the line, blanks around it aside, has
// the form "Www Mmm d hh:mm:ss yyyy" (English abbreviations as asctime writes them, fields
// apart by one or more spaces); nothing is checked beyond the form.
std::optional<CalypsoDate> ParseCalypsoDate(std::string_view separatorLine);

// "Mon Mar  1 19:42:10 2004": the day right-aligned in two places.
std::string AsctimeText(const CalypsoDate& date);

// "Mon, 01 Mar 2004 19:42:10 -0000": a message date whose zone is not known, for a message
// that has none of its own.
std::string MessageDateText(const CalypsoDate& date);

// The text with each fold (CR LF and the blanks after it) made one space.
std::string Unfolded(std::string_view value);

// The address for the separator line from the sender (quotes removed, folds unfolded): the
// text between the first "<" and the next ">" when that is a single word; else the whole
// sender when it is one; "MAILER-DAEMON" when there is none or it holds anything but printable
// ASCII.
std::string EnvelopeAddress(std::string_view sender);

}  // namespace vandrel
