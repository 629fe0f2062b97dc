#include "engine/reading/unicode_export.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel {
namespace {

// Only what a UTF-8 decoder takes without a "?" counts as UTF-8: an export that merely looks
// like it is read as it stands.
TEST(Utf8CheckerTest, TakesWellFormedUtf8Only) {
  const struct {
    const char* name;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ASCII", "From ???@???\r\n", true},
      {"two bytes, lowest", "\xC2\x80", true},
      {"three bytes, lowest", "\xE0\xA0\x80", true},
      {"last before the surrogates", "\xED\x9F\xBF", true},
      {"four bytes, lowest", "\xF0\x90\x80\x80", true},
      {"highest", "\xF4\x8F\xBF\xBF", true},
      {"overlong two bytes", "\xC1\xB9", false},
      {"overlong NUL", "\xC0\x80", false},
      {"overlong three bytes", "\xE0\x9F\xBF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false},
      {"no such lead byte", "\xF5\x80\x80\x80", false},
      {"continuation without a lead", "\x80", false},
      {"cut short", "\xE2\x82", false},
      {"a lead where a continuation belongs", "\xE2\xE2\x82\xAC", false},
  };
  for (const auto& c : cases) {
    Utf8Checker whole;
    whole.Feed(c.bytes);
    EXPECT_EQ(whole.Finish(), c.valid) << c.name;
    // Given a byte at a time, as blocks may cut a character anywhere.
    Utf8Checker split;
    for (const char byte : c.bytes)
      split.Feed(std::string(1, byte));
    EXPECT_EQ(split.Finish(), c.valid) << c.name << ", a byte at a time";
  }
}

}  // namespace
}  // namespace vandrel
