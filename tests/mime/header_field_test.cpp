#include "mime/header_field.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandrel::mime {
namespace {

TEST(HeaderFieldTest, GetParameterFollowsTheTokenAndQuoteRules) {
  const struct {
    const char* value;
    const char* attribute;
    bool found;
    const char* expected;
  } cases[] = {
      {"text/plain; CHARSET =\"iso-8859-1\"", "charset", true, "iso-8859-1"},
      {"text/plain; charset= \"iso-8859-1\"", "charset", true, ""},
      {"text/plain; charset=us-ascii (comment)", "charset", true, "us-ascii"},
      {"text/plain; charset=\"unterminated", "charset", true, ""},
      {"text/plain; charset=caf\xE9; x=1", "charset", true, "caf\xE9"},
      {"text/plain; name=\"a;b=c.txt\"; charset=x", "charset", true, "x"},
      {"text/plain; name=\"a;b=c.txt\"", "name", true, "a;b=c.txt"},
      {"text/plain", "charset", false, ""},
      {"text/pl=ain", "pl", false, ""},
      {"multipart/mixed; boundary=abc", "bound", false, ""},
      {"a; x=1; charsetx=2", "charset", false, ""},
      {"a; x=1;charset=2", "charset", true, "2"},
  };
  for (const auto& c : cases) {
    HeaderField field("Content-Type", c.value);
    std::string out = "stale";
    EXPECT_EQ(field.GetParameter(c.attribute, out), c.found) << c.value;
    EXPECT_EQ(out, c.expected) << c.value;
  }
}

TEST(HeaderFieldTest, SetParameterQuotesAndReplacesOnlyTheValue) {
  HeaderField field("Content-Type", "multipart/mixed");
  field.SetParameter("boundary", "abc");
  EXPECT_EQ(field.value, "multipart/mixed; boundary=\"abc\"");
  field.SetParameter("BOUNDARY", "xyz");
  EXPECT_EQ(field.value, "multipart/mixed; boundary=\"xyz\"");
  field.SetParameter("name", "\"quoted.txt\"");
  EXPECT_EQ(field.value, "multipart/mixed; boundary=\"xyz\"; name=\"quoted.txt\"");
  field.SetParameter("charset", "");
  EXPECT_EQ(field.value, "multipart/mixed; boundary=\"xyz\"; name=\"quoted.txt\"; charset=\"\"");

  HeaderField token("Content-Type", "text/plain; charset=us-ascii; format=flowed");
  token.SetParameter("charset", "utf-8");
  EXPECT_EQ(token.value, "text/plain; charset=\"utf-8\"; format=flowed");
}

TEST(HeaderFieldTest, LoadReadsOneFieldKeepingFoldsInTheRawValue) {
  const struct {
    std::string text;
    int consumed;
    const char* name;
    std::string value;
  } cases[] = {
      {"Subject: a\r\n b\r\nTo: x\r\n\r\n", 16, "Subject", "a\r\n b"},
      {"To:\t  x@y\r\n", 11, "To", "x@y"},
      {"Empty:\r\nNext: 1\r\n", 8, "Empty", ""},
      {"no colon here\r\n", 15, "", "no colon here"},
      {"From ???@??? Mon Jan 01 00:00:00 2001\r\n", 39, "From ???@??? Mon Jan 01 00", "00:00 2001"},
      {" skipped\r\n\tand this\r\nX: 1\r\n", 27, "X", "1"},
      {"\r\nX: 1\r\n", 0, "", ""},
      {"X: unterminated", 0, "", ""},
      {"X: folded at end\r\n ", 0, "", ""},
      {" only a blank line\r\n\r\n", 0, "", ""},
      {"", 0, "", ""},
  };
  for (const auto& c : cases) {
    HeaderField field("old", "old", "old");
    EXPECT_EQ(field.Load(c.text), c.consumed) << c.text;
    if (c.consumed > 0) {
      EXPECT_EQ(field.name, c.name) << c.text;
      EXPECT_EQ(field.value, c.value) << c.text;
      EXPECT_EQ(field.charset, "") << c.text;
    }
  }
}

TEST(HeaderFieldTest, LoadDecodesEncodedWordsAndRemembersTheCharset) {
  HeaderField field;
  ASSERT_GT(field.Load("Subject: =?ISO-8859-1?q?caf=E9_au_lait?=\r\n"), 0);
  EXPECT_EQ(field.value, "caf\xE9 au lait");
  EXPECT_EQ(field.charset, "ISO-8859-1");
}

TEST(HeaderFieldTest, StoreWritesTheLineAndRefusesATooSmallBuffer) {
  const HeaderField field("X-Mailer", "Calypso 3.0");
  const std::string line = "X-Mailer: Calypso 3.0\r\n";
  EXPECT_EQ(field.GetStoreLength(), static_cast<int>(line.size()));
  std::vector<char> buffer(line.size());
  ASSERT_EQ(field.Store(buffer.data(), static_cast<int>(buffer.size())),
            static_cast<int>(line.size()));
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), line);
  EXPECT_EQ(field.Store(buffer.data(), 11), 0);
}

TEST(HeaderFieldTest, StoreWithACharsetWritesEncodedWordsThatLoadBack) {
  const HeaderField field("Subject",
                          "Gr\xFC\xDF"
                          "e aus K\xF6ln",
                          "iso-8859-1");
  std::vector<char> buffer(static_cast<std::size_t>(field.GetStoreLength()));
  const int written = field.Store(buffer.data(), static_cast<int>(buffer.size()));
  const std::string text(buffer.data(), static_cast<std::size_t>(written));
  EXPECT_EQ(text, "Subject: =?iso-8859-1?Q?Gr=FC=DFe=20aus=20K=F6ln?=\r\n");
  HeaderField loaded;
  ASSERT_EQ(loaded.Load(text), written);
  EXPECT_EQ(loaded.value, field.value);
  EXPECT_EQ(loaded.charset, "iso-8859-1");
}

}  // namespace
}  // namespace vandrel::mime
