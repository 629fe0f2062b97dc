#include "texts/texts.h"

#include <gtest/gtest.h>

#include "texts/scoped_language.h"

namespace vandrel {
namespace {

TEST(TextsTest, EnglishIsTheKeyAndGermanComesFromTheCatalog) {
  {
    const ScopedLanguage english(Language::kEnglish);
    EXPECT_EQ(Tr("%1 was not found."), "%1 was not found.");
    EXPECT_EQ(Tr("a text the catalog lacks"), "a text the catalog lacks");
  }
  const ScopedLanguage german(Language::kGerman);
  EXPECT_EQ(Tr("%1 was not found."), "%1 wurde nicht gefunden.");
  // A text without German shows in English rather than not at all.
  EXPECT_EQ(Tr("a text the catalog lacks"), "a text the catalog lacks");
  EXPECT_EQ(TrC("no such context", "%1 was not found."), "%1 was not found.");
}

TEST(TextsTest, PluralsGoByTheCount) {
  const ScopedLanguage english(Language::kEnglish);
  const struct {
    std::uint64_t n;
    std::string_view expected;
  } cases[] = {{0, "%1 files"}, {1, "%1 file"}, {2, "%1 files"}, {1'000'001, "%1 files"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TrN("%1 file", "%1 files", c.n), c.expected) << c.n;
  }
}

TEST(TextsTest, FormatFillsNumberedPlaceholdersOnce) {
  const struct {
    std::string_view pattern;
    std::vector<std::string> values;
    std::string expected;
  } cases[] = {
      {"%1 of %2", {"3", "7"}, "3 of 7"},
      {"%2 vor %1", {"a", "b"}, "b vor a"},
      {"%1 and %1", {"x"}, "x and x"},
      // What a value holds is not read again.
      {"%1 then %2", {"%2", "b"}, "%2 then b"},
      {"%1%2", {"%", "1"}, "%1"},
      // A placeholder without a value, and percent signs that are none, stay.
      {"%1 %2", {"a"}, "a %2"},
      {"100 % sure, %0 and %", {"a"}, "100 % sure, %0 and %"},
      {"", {"a"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatText(c.pattern, c.values), c.expected) << c.pattern;
  }
  EXPECT_EQ(Format("%1 of %2 (%3)", 2, std::uint64_t{10}, std::string("x")), "2 of 10 (x)");
}

}  // namespace
}  // namespace vandrel
