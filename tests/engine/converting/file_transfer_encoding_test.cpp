#include "engine/converting/file_transfer_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel {
namespace {

using namespace std::string_literals;

TEST(FileTransferEncodingTest, SevenBitAndQuotedPrintableOnlyForTextTheyCarry) {
  const struct {
    std::string bytes;
    bool sevenBit;
    bool quotedPrintable;
  } cases[] = {
      {"", true, true},
      {"line one\r\nline two\r\n", true, true},
      {"no line end at the end", true, true},
      {"LF only\nlines\n", false, false},
      {"a lone\rCR", false, false},
      {"CR LF then LF\r\n\n", false, false},
      {"8-bit: Gr\xFC\xDF"
       "e\r\n",
       false, true},
      {"a NUL\0here\r\n"s, false, true},
      {std::string(998, 'x') + "\r\n", true, true},
      {std::string(999, 'x') + "\r\n", false, true},
      {std::string(998, 'x'), true, true},
      {"\xFF\xFE"
       "a\0\r\0\n\0"s,
       false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SevenBitCarries(c.bytes), c.sevenBit) << c.bytes.substr(0, 40);
    EXPECT_EQ(QuotedPrintableCarries(c.bytes), c.quotedPrintable) << c.bytes.substr(0, 40);
  }
}

TEST(FileTransferEncodingTest, TheEncodingChangesInItsPlace) {
  const struct {
    const char* encoding;
    std::string content;
    const char* expected;
  } cases[] = {
      {"7bit", "ascii\r\n", "7bit"},
      {"7bit",
       "Gr\xFC\xDF"
       "e",
       "base64"},
      {"quoted-printable",
       "Gr\xFC\xDF"
       "e\r\n",
       "quoted-printable"},
      {"quoted-printable", "binary\0\n"s, "base64"},
      {"base64", "anything\n", "base64"},
  };
  for (const auto& c : cases) {
    mime::MimePart part;
    part.SetFieldValue("Content-Description", "file");
    part.SetFieldValue("Content-Transfer-Encoding", c.encoding);
    part.SetFieldValue("Content-Type", "text/plain");
    part.SetContent(c.content);
    KeepFileBytesExact(part);
    ASSERT_EQ(part.Fields().size(), 3u);
    EXPECT_EQ(part.Fields()[1].name, "Content-Transfer-Encoding");
    EXPECT_EQ(part.Fields()[1].value, c.expected) << c.content;
  }
}

}  // namespace
}  // namespace vandrel
