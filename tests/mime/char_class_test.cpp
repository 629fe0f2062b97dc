#include "mime/char_class.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel::mime {
namespace {

TEST(CharClassTest, ClassesHoldExactlyTheirMembers) {
  std::string specials, punct, hex, spaces;
  int alnum = 0, control = 0;
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    if (IsSpecialChar(ch)) specials += ch;
    if (HasCharClass(ch, kPunct)) punct += ch;
    if (IsHexDigitChar(ch)) hex += ch;
    if (IsSpaceChar(ch)) spaces += ch;
    if (IsAlphaNumChar(ch)) ++alnum;
    if (HasCharClass(ch, kControl)) ++control;
  }
  EXPECT_EQ(specials, "\"(),.:;<=>@[\\]");
  EXPECT_EQ(punct.size(), 32u);
  EXPECT_EQ(hex, "0123456789ABCDEF");
  EXPECT_EQ(spaces, "\t\n\v\f\r ");
  EXPECT_EQ(alnum, 62);
  EXPECT_EQ(control, 33);
}

TEST(CharClassTest, EverySpecialIsAlsoPunctAndTabIsControlAndSpace) {
  for (char c : std::string("\"(),.:;<=>@[\\]")) EXPECT_TRUE(HasCharClass(c, kPunct)) << c;
  EXPECT_EQ(CharClass['\t'], kControl | kSpace);
  EXPECT_EQ(CharClass[' '], kSpace);
}

TEST(CharClassTest, BytesAboveSevenBitsBelongToNoClass) {
  for (int c = 0x80; c < 0x100; ++c) {
    EXPECT_FALSE(HasCharClass(static_cast<char>(c), 0xFF)) << c;
  }
}

}  // namespace
}  // namespace vandrel::mime
