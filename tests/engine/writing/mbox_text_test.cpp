#include "engine/writing/mbox_text.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(MboxTextTest, LineEndsBecomeLfAndFromLinesAreQuoted) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},
      {"bare\rcr\r\n", "bare\rcr\n"},
      {"cr cr\r\r\nx", "cr cr\r\nx"},
      {"lf only\nstays\n", "lf only\nstays\n"},
      {"From me\r\nFrom you\r\n", "From me\n>From you\n"},
      {"x\r\n>From a\r\n>>From b\r\n", "x\n>>From a\n>>>From b\n"},
      {"x\r\nFrom:\r\nFromage\r\n From c\r\n>\r\n", "x\nFrom:\nFromage\n From c\n>\n"},
      {"x\r\nFrom ", "x\n>From "},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToMboxText(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vandrel
