#include "engine/converting/message_date.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<std::string_view, 7> kWeekdays = {"mon", "tue", "wed", "thu",
                                                       "fri", "sat", "sun"};

struct NamedZone {
  std::string_view name;
  int minutes;
};
// The zones RFC 822 named; RFC 5322 keeps them as obsolete forms.
constexpr std::array<NamedZone, 10> kNamedZones = {{{"ut", 0},
                                                    {"gmt", 0},
                                                    {"est", -300},
                                                    {"edt", -240},
                                                    {"cst", -360},
                                                    {"cdt", -300},
                                                    {"mst", -420},
                                                    {"mdt", -360},
                                                    {"pst", -480},
                                                    {"pdt", -420}}};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Reads the value token by token, skipping blanks, folds and (nested) comments between them.
class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  void SkipBlanksAndComments() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++at_;
      } else if (c == '(') {
        SkipComment();
      } else {
        return;
      }
    }
  }
  bool AtEnd() {
    SkipBlanksAndComments();
    return at_ == text_.size();
  }
  bool Take(char wanted) {
    SkipBlanksAndComments();
    if (at_ == text_.size() || text_[at_] != wanted) return false;
    ++at_;
    return true;
  }
  char Peek() {
    SkipBlanksAndComments();
    return at_ < text_.size() ? text_[at_] : '\0';
  }
  // A run of digits of the given lengths; nothing when there is none or it is too long.
  std::optional<int> Number(std::size_t minDigits, std::size_t maxDigits, std::size_t* digits) {
    SkipBlanksAndComments();
    std::size_t end = at_;
    while (end < text_.size() && IsDigit(text_[end]))
      ++end;
    const std::size_t length = end - at_;
    if (length < minDigits || length > maxDigits) return std::nullopt;
    int value = 0;
    std::from_chars(text_.data() + at_, text_.data() + end, value);
    at_ = end;
    if (digits != nullptr) *digits = length;
    return value;
  }
  std::string Word() {
    SkipBlanksAndComments();
    std::string word;
    while (at_ < text_.size() && IsLetter(text_[at_]))
      word += mime::ToLowerAscii(text_[at_++]);
    return word;
  }

 private:
  void SkipComment() {
    int depth = 0;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '\\' && at_ < text_.size()) {
        ++at_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return;
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

template <std::size_t N>
std::optional<int> IndexOf(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

struct Fields {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int zoneMinutes = 0;  // east of UTC
};

// 1900 to 9999; a second of 60 is a leap second, which the count of seconds has no place for.
std::optional<std::int64_t> TimeOf(const Fields& f) {
  if (f.year < 1900 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > DaysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 || f.second > 60) {
    return std::nullopt;
  }
  const std::int64_t days = DaysSinceEpoch(f.year, f.month, f.day);
  return days * 86400 + f.hour * 3600 + f.minute * 60 + std::min(f.second, 59) - f.zoneMinutes * 60;
}

// Two-digit years are 1950 to 2049, three-digit ones counted from 1900 (RFC 5322 4.3).
int FullYear(int year, std::size_t digits) {
  if (digits == 2) return year < 50 ? 2000 + year : 1900 + year;
  if (digits == 3) return 1900 + year;
  return year;
}

std::optional<int> Zone(DateReader& reader) {
  const char sign = reader.Peek();
  if (sign == '+' || sign == '-') {
    reader.Take(sign);
    const std::optional<int> hhmm = reader.Number(4, 4, nullptr);
    if (!hhmm || *hhmm / 100 > 23 || *hhmm % 100 > 59) return std::nullopt;
    const int minutes = *hhmm / 100 * 60 + *hhmm % 100;
    return sign == '-' ? -minutes : minutes;
  }
  const std::string name = reader.Word();
  for (const NamedZone& zone : kNamedZones) {
    if (zone.name == name) return zone.minutes;
  }
  // Military letters were given backwards too often to be trusted: RFC 5322 takes them as
  // an unknown zone, which is UTC.
  if (name.size() == 1 && name != "j") return 0;
  return std::nullopt;
}

std::optional<Fields> DateAndTime(DateReader& reader) {
  Fields f;
  std::string word = reader.Word();
  if (!word.empty()) {  // the weekday, which nothing checks against the date
    if (!IndexOf(kWeekdays, word) || !reader.Take(',')) return std::nullopt;
  }
  const std::optional<int> day = reader.Number(1, 2, nullptr);
  const std::optional<int> month = IndexOf(kMonths, reader.Word());
  std::size_t yearDigits = 0;
  const std::optional<int> year = reader.Number(2, 4, &yearDigits);
  if (!day || !month || !year) return std::nullopt;
  const std::optional<int> hour = reader.Number(1, 2, nullptr);
  if (!hour || !reader.Take(':')) return std::nullopt;
  const std::optional<int> minute = reader.Number(1, 2, nullptr);
  if (!minute) return std::nullopt;
  if (reader.Take(':')) {
    const std::optional<int> second = reader.Number(1, 2, nullptr);
    if (!second) return std::nullopt;
    f.second = *second;
  }
  f.day = *day;
  f.month = *month + 1;
  f.year = FullYear(*year, yearDigits);
  f.hour = *hour;
  f.minute = *minute;
  return f;
}

std::optional<std::int64_t> ExportDateTime(const CalypsoDate& date) {
  Fields f;
  const std::optional<int> month = IndexOf(kMonths, mime::ToLowerAscii(date.month));
  DateReader time(date.time);
  const std::optional<int> hour = time.Number(2, 2, nullptr);
  const bool colon1 = time.Take(':');
  const std::optional<int> minute = time.Number(2, 2, nullptr);
  const bool colon2 = time.Take(':');
  const std::optional<int> second = time.Number(2, 2, nullptr);
  DateReader year(date.year);
  const std::optional<int> y = year.Number(4, 4, nullptr);
  if (!month || !hour || !colon1 || !minute || !colon2 || !second || !time.AtEnd() || !y ||
      !year.AtEnd()) {
    return std::nullopt;
  }
  f = {*y, *month + 1, date.day, *hour, *minute, *second, 0};
  return TimeOf(f);
}

}  // namespace

// Howard Hinnant's days_from_civil: exact for every year, no table.
std::int64_t DaysSinceEpoch(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::optional<std::int64_t> DateFieldTime(std::string_view value) {
  DateReader reader(value);
  std::optional<Fields> fields = DateAndTime(reader);
  if (!fields) return std::nullopt;
  const std::optional<int> zone = Zone(reader);
  if (!zone || !reader.AtEnd()) return std::nullopt;
  fields->zoneMinutes = *zone;
  return TimeOf(*fields);
}

std::optional<std::int64_t> MessageTime(const ConvertedMessage& message) {
  if (std::optional<std::int64_t> time = DateFieldTime(message.dateField)) return time;
  if (message.exportDate) return ExportDateTime(*message.exportDate);
  return std::nullopt;
}

}  // namespace vandrel
