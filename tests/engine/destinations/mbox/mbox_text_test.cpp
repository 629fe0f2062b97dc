#include "engine/destinations/mbox/mbox_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace vandrel {
namespace {

// The rule the slow way: each line on its own, a CR before its line feed taken off, then the
// line written with CR LF.
std::string ReferenceMbox(std::string_view text) {
  std::string out;
  bool first = true;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    const bool ended = lf != std::string_view::npos;
    if (ended && line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t quotes = line.find_first_not_of('>');
    if (!first && quotes != std::string_view::npos && line.substr(quotes).starts_with("From ")) {
      out += '>';
    }
    out += line;
    if (ended) out += "\r\n";
    text.remove_prefix(ended ? lf + 1 : text.size());
    first = false;
  }
  return out + "\r\n";
}

TEST(MboxTextTest, LinesEndInCrLfFromLinesAreQuotedAndABlankLineFollows) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"a\r\nb\r\n", "a\r\nb\r\n\r\n"},
      {"bare\rcr\r\n", "bare\rcr\r\n\r\n"},
      {"cr cr\r\r\nx", "cr cr\r\r\nx\r\n"},
      {"lf only\nstays\n", "lf only\r\nstays\r\n\r\n"},
      {"\n\n", "\r\n\r\n\r\n"},
      {"From me\r\nFrom you\r\n", "From me\r\n>From you\r\n\r\n"},
      {"x\r\n>From a\r\n>>From b\n", "x\r\n>>From a\r\n>>>From b\r\n\r\n"},
      {"x\r\nFrom:\r\nFromage\r\n From c\r\n>\r\n",
       "x\r\nFrom:\r\nFromage\r\n From c\r\n>\r\n\r\n"},
      {"x\nFrom ", "x\r\n>From \r\n"},
      {"", "\r\n"},
  };
  for (const auto& c : cases) {
    std::string text = c.in;
    ToMboxMessage(text);
    EXPECT_EQ(text, c.out) << c.in;
    EXPECT_EQ(ReferenceMbox(c.in), c.out) << c.in;
  }
}

// The in-place moves against the slow rule, on texts made of the bytes that matter.
TEST(MboxTextTest, AgreesWithTheLineByLineRuleOnRandomTexts) {
  std::mt19937 random(7);
  const std::string_view pieces[] = {"\r", "\n", "\r\n", ">", "From ", "From", "x", " "};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i)
      text += pieces[random() % std::size(pieces)];
    std::string converted = text;
    ToMboxMessage(converted);
    ASSERT_EQ(converted, ReferenceMbox(text)) << text;
  }
}

}  // namespace
}  // namespace vandrel
