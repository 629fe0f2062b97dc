#include "log/visible_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vandrel {
namespace {

using namespace std::string_literals;

// What a window shows, in UTF-8.
const std::string kNulPicture = "\xE2\x90\x80";  // U+2400
const std::string kTabPicture = "\xE2\x90\x89";
const std::string kLfPicture = "\xE2\x90\x8A";
const std::string kCrPicture = "\xE2\x90\x8D";
const std::string kEscPicture = "\xE2\x90\x9B";
const std::string kUsPicture = "\xE2\x90\x9F";  // U+241F, the last C0 control
const std::string kDelPicture = "\xE2\x90\xA1";
const std::string kReplacement = "\xEF\xBF\xBD";

struct Case {
  const char* what;
  std::string bytes;
  std::string terminal;
  std::string window;
};

TEST(VisibleTextTest, ShowsControlsAndBrokenUtf8AsTextAndKeepsTheRest) {
  const std::string kept =
      "C:\\Calypso\\Attach\\Entw\xC3\xBCrfe \xE2\x82\xAC \xF0\x9F\x98\x80 "
      "\xC2\xA0 \xE2\x90\x9B \xF4\x8F\xBF\xBF ~";
  const Case cases[] = {
      {"empty", "", "", ""},
      {"multi-byte UTF-8, backslashes and pictures kept", kept, kept, kept},
      {"ESC sequence", "\x1B[31mred\x1B[0m", "\\x1B[31mred\\x1B[0m",
       kEscPicture + "[31mred" + kEscPicture + "[0m"},
      {"NUL in the middle", "a\0b"s, "a\\x00b", "a" + kNulPicture + "b"},
      {"other C0 controls", "\t\r\n\x1F", "\\x09\\x0D\\x0A\\x1F",
       kTabPicture + kCrPicture + kLfPicture + kUsPicture},
      {"DEL", "x\x7Fy", "x\\x7Fy", "x" + kDelPicture + "y"},
      {"C1 controls", "\xC2\x80 \xC2\x9B \xC2\x9F", "\\x80 \\x9B \\x9F",
       kReplacement + " " + kReplacement + " " + kReplacement},
      {"a lone CSI byte", "a\x9B[2J", "a\\x9B[2J", "a" + kReplacement + "[2J"},
      {"Windows-1252 letter", "Entw\xFCrfe", "Entw\\xFCrfe", "Entw" + kReplacement + "rfe"},
      {"sequence cut at the end", "ab\xE2\x82", "ab\\xE2\\x82", "ab" + kReplacement + kReplacement},
      {"sequence cut by ASCII", "\xE2\x82"s + "A", "\\xE2\\x82A",
       kReplacement + kReplacement + "A"},
      {"overlong", "\xC0\xAF\xE0\x80\xAF", "\\xC0\\xAF\\xE0\\x80\\xAF",
       kReplacement + kReplacement + kReplacement + kReplacement + kReplacement},
      {"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80", kReplacement + kReplacement + kReplacement},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80",
       kReplacement + kReplacement + kReplacement + kReplacement},
      {"bytes that never start a character", "\xFF\xF5", "\\xFF\\xF5", kReplacement + kReplacement},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerminalText(c.bytes), c.terminal) << c.what;
    EXPECT_EQ(VisibleText(c.bytes), c.window) << c.what;
  }
}

TEST(VisibleTextTest, EverySingleByteIsKeptOnlyWhenItIsPrintableAscii) {
  for (int value = 0; value < 0x100; ++value) {
    const std::string byte(1, static_cast<char>(value));
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(value));
    const bool printable = value >= 0x20 && value < 0x7F;
    EXPECT_EQ(TerminalText(byte), printable ? byte : std::string(escaped)) << value;
    EXPECT_EQ(VisibleText(byte) == byte, printable) << value;
  }
}

// A text made visible has nothing left to make visible: no control, no broken UTF-8. Tried on
// every pair of bytes: each lead byte with each byte that may follow it.
TEST(VisibleTextTest, WhatIsShownHasNothingLeftToShow) {
  for (int first = 0; first < 0x100; ++first) {
    for (int second = 0; second < 0x100; ++second) {
      const std::string bytes = {static_cast<char>(first), static_cast<char>(second)};
      const std::string terminal = TerminalText(bytes);
      ASSERT_EQ(TerminalText(terminal), terminal) << first << " " << second;
      const std::string window = VisibleText(bytes);
      ASSERT_EQ(VisibleText(window), window) << first << " " << second;
    }
  }
}

TEST(VisibleTextTest, TheLogKeepsItsLineSeparatorsOnly) {
  EXPECT_EQ(VisibleLogText("processing In\x1B[2Jbox\r\nsub\0ject\r\n\r\nlone\rcr and\nlf\r\r\n"s),
            "processing In" + kEscPicture + "[2Jbox\r\nsub" + kNulPicture + "ject\r\n\r\nlone" +
                kCrPicture + "cr and" + kLfPicture + "lf" + kCrPicture + "\r\n");
  EXPECT_EQ(VisibleLogText("\r\nnext"), "\r\nnext");
  EXPECT_EQ(VisibleLogText(""), "");
}

}  // namespace
}  // namespace vandrel
