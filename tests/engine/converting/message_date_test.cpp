#include "engine/converting/message_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace vandrel {
namespace {

// Seconds of the UTC times in the comments, as GNU date gives them.
constexpr std::int64_t k20040301_184210 = 1078166530;

TEST(MessageDateTest, DateFieldsInTheFormsMailHas) {
  const struct {
    const char* value;
    std::optional<std::int64_t> time;
  } cases[] = {
      {"Mon, 01 Mar 2004 19:42:10 +0100", k20040301_184210},
      {"01 Mar 2004 19:42:10 +0100", k20040301_184210},  // no weekday
      {"  Mon,1 Mar 2004 19:42:10 +0100  ", k20040301_184210},
      {"mon, 01 MAR 2004 19:42:10 +0100", k20040301_184210},
      {"Mon, 01 Mar 2004 18:42:10 GMT", k20040301_184210},
      {"Mon, 01 Mar 2004 18:42:10 UT", k20040301_184210},
      {"Mon, 01 Mar 2004 13:42:10 EST", k20040301_184210},
      {"Mon, 01 Mar 2004 14:42:10 EDT", k20040301_184210},
      {"Mon, 01 Mar 2004 12:42:10 CST", k20040301_184210},
      {"Mon, 01 Mar 2004 11:42:10 MST", k20040301_184210},
      {"Mon, 01 Mar 2004 10:42:10 PST", k20040301_184210},
      {"Mon, 01 Mar 2004 11:42:10 PDT", k20040301_184210},
      {"Mon, 01 Mar 2004 18:42:10 Z", k20040301_184210},
      {"Mon, 01 Mar 2004 18:42:10 A", k20040301_184210},  // military: taken as UTC
      {"Mon, 01 Mar 2004 18:42:10 -0000", k20040301_184210},
      {"Mon, 01 Mar 04 18:42:10 +0000", k20040301_184210},   // two-digit year
      {"Mon, 01 Mar 104 18:42:10 +0000", k20040301_184210},  // three-digit year
      {"Mon, 01 Mar 2004 19:42 +0100", k20040301_184210 - 10},
      {"Mon, 01 Mar 2004 23:54:10 +0512", k20040301_184210},
      {"Mon, 01 Mar 2004 06:42:10 -1200", k20040301_184210},
      {"Mon, 01 Mar 2004 19:42:10 +0100 (CET)", k20040301_184210},
      {"Mon (Monday), 01 (first) Mar ((nested) x) 2004 19:42:10 (\\) still) +0100",
       k20040301_184210},
      {"Mon,\r\n 01 Mar\r\n\t2004 19:42:10\r\n +0100", k20040301_184210},
      {"Mon, 01 Mar 2004 19 : 42 : 10 +0100", k20040301_184210},
      {"Fri, 31 Dec 1999 23:59:59 +0000", 946684799},
      {"Tue, 29 Feb 2000 12:00:00 +0000", 951825600},
      {"Thu, 1 Jan 1970 00:00:00 +0000", 0},
      {"Wed, 31 Dec 1969 23:59:59 +0000", -1},
      {"Mon, 1 Jan 1900 00:00:00 +0000", -2208988800},
      {"15 Jun 49 08:00:00 +0000", 2507356800},
      {"15 Jun 50 08:00:00 +0000", -616867200},
      {"19 Jan 2038 03:14:08 +0000", 2147483648},  // past 32 bits
      {"31 Dec 9999 23:59:59 +0000", 253402300799},
      {"Mon, 01 Mar 2004 23:59:60 +0000", 1078185599},  // a leap second is kept in its minute
      // Out of range or another form: nothing.
      {"Mon, 01 Mar 2004 24:00:00 +0000", std::nullopt},
      {"Mon, 01 Mar 2004 23:60:00 +0000", std::nullopt},
      {"Mon, 01 Mar 2004 23:00:61 +0000", std::nullopt},
      {"Mon, 00 Mar 2004 23:00:00 +0000", std::nullopt},
      {"Mon, 30 Feb 2004 23:00:00 +0000", std::nullopt},
      {"Mon, 29 Feb 1900 23:00:00 +0000", std::nullopt},
      {"Mon, 32 Jan 2004 23:00:00 +0000", std::nullopt},
      {"Mon, 01 Mar 1899 23:00:00 +0000", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 +0160", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 +2400", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 +100", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10", std::nullopt},  // no zone
      {"Mon, 01 Mar 2004 19:42:10 CET", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 J", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 +0100 trailing", std::nullopt},
      {"Mon 01 Mar 2004 19:42:10 +0100", std::nullopt},
      {"Xyz, 01 Mar 2004 19:42:10 +0100", std::nullopt},
      {"Mon, 01 Mrz 2004 19:42:10 +0100", std::nullopt},
      {"Mon, 001 Mar 2004 19:42:10 +0100", std::nullopt},
      {"Mon, 01 Mar 20041 19:42:10 +0100", std::nullopt},
      {"Mon, 01 Mar 2004 19:42: +0100", std::nullopt},
      {"Mon, 01 Mar 2004 +0100", std::nullopt},
      {"Mon, 01 Mar 2004 19:42:10 +0100 (unclosed", k20040301_184210},
      {"2004-03-01T18:42:10Z", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateFieldTime(c.value), c.time) << c.value;
  }
}

ConvertedMessage WithDates(const char* dateField, std::optional<CalypsoDate> exportDate) {
  ConvertedMessage message;
  message.dateField = dateField;
  message.exportDate = std::move(exportDate);
  return message;
}

TEST(MessageDateTest, TheExportDateStandsInForAFieldThatGivesNone) {
  const CalypsoDate march{"Mon", "Mar", 1, "18:42:10", "2004"};
  const struct {
    ConvertedMessage message;
    std::optional<std::int64_t> time;
  } cases[] = {
      {WithDates("Mon, 01 Mar 2004 19:42:10 +0200", march), k20040301_184210 - 3600},
      {WithDates("", march), k20040301_184210},
      {WithDates("not a date", march), k20040301_184210},
      {WithDates("not a date", CalypsoDate{"Mon", "Feb", 29, "12:00:00", "2000"}), 951825600},
      {WithDates("", std::nullopt), std::nullopt},
      // The export's line is checked for its form only: its values are checked here.
      {WithDates("", CalypsoDate{"Mon", "Feb", 31, "12:00:00", "2004"}), std::nullopt},
      {WithDates("", CalypsoDate{"Mon", "Mar", 1, "99:99:99", "2004"}), std::nullopt},
      {WithDates("", CalypsoDate{"Mon", "Mar", 1, "12:00:00", "0000"}), std::nullopt},
      {WithDates("", CalypsoDate{"Mon", "Mar", 1, "12:00", "2004"}), std::nullopt},
      {WithDates("", CalypsoDate{"Mon", "Xyz", 1, "12:00:00", "2004"}), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageTime(c.message), c.time) << c.message.dateField;
  }
}

// Every day from 1900 to 2100 follows the one before it, also across leap days.
TEST(MessageDateTest, DaysFollowEachOtherAcrossMonthsAndLeapYears) {
  std::int64_t expected = DaysSinceEpoch(1900, 1, 1);
  EXPECT_EQ(expected * 86400, -2208988800);
  for (int year = 1900; year <= 2100; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
      const int days = month == 2                                                ? (leap ? 29 : 28)
                       : (month == 4 || month == 6 || month == 9 || month == 11) ? 30
                                                                                 : 31;
      for (int day = 1; day <= days; ++day) {
        ASSERT_EQ(DaysSinceEpoch(year, month, day), expected) << year << "-" << month << "-" << day;
        ++expected;
      }
    }
  }
}

}  // namespace
}  // namespace vandrel
