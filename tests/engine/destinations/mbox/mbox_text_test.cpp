#include "engine/destinations/mbox/mbox_text.h"

#include <gtest/gtest.h>

#include "engine/converting/line_ends.h"

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

// The message as the converter hands it over (its lines made CR LF), then framed.
std::string Framed(std::string_view text) {
  ConvertedMessage message;
  message.text = text;
  ToCrLfLines(message.text);
  std::string out;
  EXPECT_TRUE(WriteMboxMessage(message, [&out](std::string_view piece) {
    out += piece;
    return true;
  }));
  return out;
}

constexpr std::string_view kSeparator = "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\r\n";

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
      {"From me\r\nFrom you\r\n", ">From me\r\n>From you\r\n\r\n"},
      {"x\r\n>From a\r\n>>From b\n", "x\r\n>>From a\r\n>>>From b\r\n\r\n"},
      {"x\r\nFrom:\r\nFromage\r\n From c\r\n>\r\n",
       "x\r\nFrom:\r\nFromage\r\n From c\r\n>\r\n\r\n"},
      {"x\nFrom ", "x\r\n>From \r\n"},
      {"", "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Framed(c.in), std::string(kSeparator) + c.out) << c.in;
    EXPECT_EQ(ReferenceMbox(std::string(kSeparator) + c.in), std::string(kSeparator) + c.out)
        << c.in;
  }
}

// The converter's line ends and the framing together against the slow rule, on texts made of
// the bytes that matter.
TEST(MboxTextTest, AgreesWithTheLineByLineRuleOnRandomTexts) {
  std::mt19937 random(7);
  const std::string_view pieces[] = {"\r", "\n", "\r\n", ">", "From ", "From", "x", " "};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i)
      text += pieces[random() % std::size(pieces)];
    ASSERT_EQ(Framed(text), ReferenceMbox(std::string(kSeparator) + text)) << text;
  }
}

TEST(MboxTextTest, TheSeparatorLineHasTheAddressAndTheExportsDate) {
  ConvertedMessage message;
  message.envelopeSender = "jd@example.com";
  message.exportDate = ParseCalypsoDate("From ???@??? Mon Mar 01 19:42:10 2004");
  message.text = "Date: x\r\n\r\nbody\r\n";
  std::string out;
  WriteMboxMessage(message, [&out](std::string_view piece) {
    out += piece;
    return true;
  });
  EXPECT_EQ(out, "From jd@example.com Mon Mar  1 19:42:10 2004\r\nDate: x\r\n\r\nbody\r\n\r\n");
}

// A full disk part-way: nothing more is offered once a piece was refused.
TEST(MboxTextTest, StopsAtTheFirstRefusedPiece) {
  ConvertedMessage message;
  message.text = "a\r\nFrom b\r\nc\r\n";
  for (int allowed = 0; allowed < 6; ++allowed) {
    int offered = 0;
    const bool all =
        WriteMboxMessage(message, [&](std::string_view) { return offered++ < allowed; });
    EXPECT_FALSE(all) << allowed;
    EXPECT_EQ(offered, allowed + 1);
  }
}

}  // namespace
}  // namespace vandrel
