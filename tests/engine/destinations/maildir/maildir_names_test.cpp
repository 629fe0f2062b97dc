#include "engine/destinations/maildir/maildir_names.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(MaildirNamesTest, ModifiedUtf7AsImapWritesIt) {
  const struct {
    const char* utf8;
    const char* encoded;
  } cases[] = {
      {"Inbox", "Inbox"},
      {"Tom & Jerry", "Tom &- Jerry"},
      {"&&", "&-&-"},
      {"~peter", "~peter"},
      {"a\\b", "a\\b"},
      {"\xC3\xA4rger", "&AOQ-rger"},  // ärger
      {"Entw\xC3\xBC"
       "rfe",
       "Entw&APw-rfe"},                                        // Entwürfe
      {"\xE5\x8F\xB0\xE5\x8C\x97", "&U,BTFw-"},                // RFC 3501's 台北
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "&ZeVnLIqe-"},  // 日本語
      {"\xC3\xA4\xC3\xB6\xC3\xBC", "&AOQA9gD8-"},              // three in one run
      {"\xF0\x9F\x98\x80", "&2D3eAA-"},                        // a surrogate pair
      {"a\xC3\xA4"
       "b\xC3\xB6"
       "c",
       "a&AOQ-b&APY-c"},
      {"\xE2\x82\xAC"
       "&",
       "&IKw-&-"},  // € then &
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ModifiedUtf7(c.utf8), c.encoded) << c.utf8;
  }
}

TEST(MaildirNamesTest, MarksThatSplitNamesAndBytesNoReaderShowsBecomeUnderscores) {
  const struct {
    const char* segment;
    const char* usable;
  } cases[] = {
      {"Dr. Smith", "Dr_ Smith"},
      {"a/b", "a_b"},
      {"..", "__"},
      {"../../etc", "______etc"},
      {"tab\there", "tab_here"},
      {"bell\x07", "bell_"},
      {"del\x7F", "del_"},
      {"c1\xC2\x85", "c1_"},  // NEXT LINE, a control character
      {"bad\xFF"
       "byte",
       "bad_byte"},
      {"cut\xC3", "cut_"},
      {"overlong\xC0\xAF", "overlong_"},  // "/" in two bytes
      {"surrogate\xED\xA0\x80", "surrogate_"},
      {"\xC3\xA4rger", "\xC3\xA4rger"},
      {"Tom & Jerry ~", "Tom & Jerry ~"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UsableSegment(c.segment), c.usable) << c.segment;
  }
}

TEST(MaildirNamesTest, LongNamesAreCutBetweenCharactersToFitTheirRoom) {
  const std::string umlauts = "\xC3\xA4\xC3\xA4\xC3\xA4";  // "&AOQA5ADk-" encoded
  const struct {
    std::string segment;
    std::string suffix;
    std::size_t room;
    std::string stored;
  } cases[] = {
      {"abcdef", "", 6, "abcdef"},
      {"abcdef", "", 5, "abcde"},
      {"abcdef", "-2", 5, "abc-2"},
      {"ab" + umlauts, "", 12, "ab&AOQA5ADk-"},
      {"ab" + umlauts, "", 11, "ab&AOQA5A-"},  // one character less, never half of one
      {"ab" + umlauts, "", 9, "ab&AOQ-"},
      {"ab" + umlauts, "", 6, "ab"},
      {"a&b", "", 3, "a&-"},
      {"a&b", "", 2, "a"},  // "&-" is never split
      {"abc", "-10", 3, ""},
      {std::string(300, 'x'), "", 100, std::string(100, 'x')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StoredSegment(c.segment, c.suffix, c.room), c.stored) << c.segment << " " << c.room;
  }
}

// A folder name of megabytes is cut as its first bytes would be, and at once: a name cut a
// character at a time and encoded anew each time held a run for minutes.
TEST(MaildirNamesTest, AHugeNameIsCutAsItsStartWouldBe) {
  for (const std::string character : {"x", "\xC3\xA4", "\xE6\x97\xA5", "\xF0\x9F\x93\xAC"}) {
    std::string huge;
    while (huge.size() < (std::size_t{1} << 20))
      huge += character;
    for (const std::size_t room : {1, 9, 100, 252}) {
      EXPECT_EQ(StoredSegment(huge, "-2", room),
                StoredSegment(huge.substr(0, 4 * room), "-2", room))
          << character << " " << room;
    }
  }
}

}  // namespace
}  // namespace vandrel
