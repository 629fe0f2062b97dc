#include "engine/converting/separator_line.h"

#include <gtest/gtest.h>

#include "engine/destinations/mbox/mbox_text.h"

namespace vandrel {
namespace {

TEST(SeparatorLineTest, TheDateComesFromTheCalypsoLineWhenItHasTheAsctimeForm) {
  const struct {
    const char* line;
    const char* date;  // as written back; the epoch when the form is not met
  } cases[] = {
      {"From ???@??? Mon Mar 01 19:42:10 2004", "Mon Mar  1 19:42:10 2004"},
      {"From ???@??? Mon Mar 1 19:42:10 2004", "Mon Mar  1 19:42:10 2004"},
      {"From ???@??? Tue Dec 24 00:00:00 2003", "Tue Dec 24 00:00:00 2003"},
      {"From ???@???   Sat  Jan   5  23:59:59   1999  ", "Sat Jan  5 23:59:59 1999"},
      {"From ???@???\tSun Feb 29 12:00:00 2004\t", "Sun Feb 29 12:00:00 2004"},
      // No range or weekday check: the form alone counts.
      {"From ???@??? Mon Feb 31 99:99:99 0000", "Mon Feb 31 99:99:99 0000"},
      {"From ???@???", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? mon Mar 01 19:42:10 2004", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon MAR 01 19:42:10 2004", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon Mar 001 19:42:10 2004", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon Mar 01 9:42:10 2004", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon Mar 01 19:42 2004", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon Mar 01 19:42:10 04", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon Mar 01 19:42:10 2004 +0100", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon, 01 Mar 2004 19:42:10", "Thu Jan  1 00:00:00 1970"},
      {"From ???@??? Mon\tMar 01 19:42:10 2004", "Thu Jan  1 00:00:00 1970"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SeparatorLine("a@example.org", ParseCalypsoDate(c.line)),
              std::string("From a@example.org ") + c.date)
        << c.line;
  }
}

TEST(SeparatorLineTest, TheAddressIsOnePrintableWordOrMailerDaemon) {
  const struct {
    const char* sender;
    const char* address;
  } cases[] = {
      {"Doe, John <jd@example.com>", "jd@example.com"},
      {"<jd@example.com>", "jd@example.com"},
      {"  jd@example.com ", "jd@example.com"},
      // Only printable ASCII: an 8-bit or control byte makes the line unreadable.
      {"J\xFCrgen <j\xFC@example.de>", "MAILER-DAEMON"},
      {"<a\x01b@example.com>", "MAILER-DAEMON"},
      {"a\x7F@example.com", "MAILER-DAEMON"},
      {"<a\x1B[2J@example.com>", "MAILER-DAEMON"},
      {"<a\r@example.com>", "MAILER-DAEMON"},
      {"<!#~@example.com>", "!#~@example.com"},
      {"Anna <>", "MAILER-DAEMON"},
      {"Anna <anna example.org>", "MAILER-DAEMON"},
      {"Anna <anna@example.org", "MAILER-DAEMON"},
      {"anna@example.org (Anna)", "MAILER-DAEMON"},
      {"", "MAILER-DAEMON"},
      {"   ", "MAILER-DAEMON"},
      {"a>b <c@d>", "c@d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnvelopeAddress(c.sender), c.address) << c.sender;
  }
}

TEST(SeparatorLineTest, FoldsBecomeOneSpace) {
  EXPECT_EQ(Unfolded("a\r\n b"), "a b");
  EXPECT_EQ(Unfolded("a\r\n\t  \t b\r\n c"), "a b c");
  EXPECT_EQ(Unfolded("a\r\nb"), "a b");
  EXPECT_EQ(Unfolded("plain"), "plain");
}

}  // namespace
}  // namespace vandrel
