#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel::cli {
namespace {

using namespace std::string_literals;

TEST(TerminalTextTest, EachLineOfAReportIsShownAsTextAndTheLineEndsStay) {
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"", ""},
      {"\n\n", "\n\n"},
      {"1 file named in the export was not found or could not be read:\n"
       "  C:\\Attach\\a\x1b[8m.jpg (In\x1b[2Jbox, Hi\0there\r)\n"s,
       "1 file named in the export was not found or could not be read:\n"
       "  C:\\Attach\\a\\x1B[8m.jpg (In\\x1B[2Jbox, Hi\\x00there\\x0D)\n"},
      {"Entw\xfcrfe\n\x9b"
       "2J",
       "Entw\\xFCrfe\n\\x9B2J"},
      {"no line end \xc2\x9b\x7f", "no line end \\x9B\\x7F"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TerminalLines(c.text), c.shown);
}

}  // namespace
}  // namespace vandrel::cli
