#include "engine/converting/separator_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace vandrel {

namespace {

constexpr std::string_view kCalypsoSeparator = "From ???@???";
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kNoAddress = "MAILER-DAEMON";
constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), text) != names.end();
}

// Fields apart by one or more spaces.
std::vector<std::string_view> SpaceSeparated(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool IsClockTime(std::string_view text) {
  return text.size() == 8 && text[2] == ':' && text[5] == ':' && IsDigits(text.substr(0, 2)) &&
         IsDigits(text.substr(3, 2)) && IsDigits(text.substr(6, 2));
}

bool IsSingleWord(std::string_view text) {
  return !text.empty() && text.find_first_of(kBlanks) == std::string_view::npos;
}

}  // namespace

std::optional<CalypsoDate> ParseCalypsoDate(std::string_view separatorLine) {
  if (!separatorLine.starts_with(kCalypsoSeparator)) return std::nullopt;
  const std::vector<std::string_view> fields =
      SpaceSeparated(Trimmed(separatorLine.substr(kCalypsoSeparator.size())));
  if (fields.size() != 5) return std::nullopt;
  const std::string_view day = fields[2];
  if (!IsOneOf(fields[0], kWeekdays) || !IsOneOf(fields[1], kMonths) || day.size() > 2 ||
      !IsDigits(day) || !IsClockTime(fields[3]) || fields[4].size() != 4 || !IsDigits(fields[4])) {
    return std::nullopt;
  }
  const int dayNumber = day.size() == 1 ? day[0] - '0' : (day[0] - '0') * 10 + (day[1] - '0');
  return CalypsoDate{std::string(fields[0]), std::string(fields[1]), dayNumber,
                     std::string(fields[3]), std::string(fields[4])};
}

std::string AsctimeText(const CalypsoDate& date) {
  char day[4];
  std::snprintf(day, sizeof day, "%2d", date.day);
  return date.weekday + " " + date.month + " " + day + " " + date.time + " " + date.year;
}

std::string MessageDateText(const CalypsoDate& date) {
  char day[4];
  std::snprintf(day, sizeof day, "%02d", date.day);
  return date.weekday + ", " + day + " " + date.month + " " + date.year + " " + date.time +
         " -0000";
}

std::string Unfolded(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();) {
    if (value.substr(i).starts_with("\r\n")) {
      out += ' ';
      i += 2;
      while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    } else {
      out += value[i++];
    }
  }
  return out;
}

namespace {

std::string_view AddressIn(std::string_view sender) {
  const std::size_t open = sender.find('<');
  if (open != std::string_view::npos) {
    const std::size_t close = sender.find('>', open + 1);
    if (close != std::string_view::npos) {
      const std::string_view inside = sender.substr(open + 1, close - open - 1);
      if (IsSingleWord(inside)) return inside;
    }
  }
  const std::string_view whole = Trimmed(sender);
  return IsSingleWord(whole) ? whole : kNoAddress;
}

// Readers split the separator line at blanks and stumble over control and 8-bit bytes.
bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
}

}  // namespace

std::string EnvelopeAddress(std::string_view sender) {
  const std::string_view address = AddressIn(sender);
  return std::string(IsPrintableAscii(address) ? address : kNoAddress);
}

}  // namespace vandrel
