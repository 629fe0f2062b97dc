#include "engine/converting/named_path.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(NamedPathTest, QuotedPathsEndAtTheirQuoteOthersAtTheFirstSemicolonOrTheLineEnd) {
  const struct {
    const char* afterFieldName;
    const char* path;
  } cases[] = {
      {"\"C:\\Calypso\\Attach\\photo.jpg\"; 48213", "C:\\Calypso\\Attach\\photo.jpg"},
      // ";" is a letter of a Windows name.
      {"\"C:\\Mail\\a;b.pdf\"; 1234", "C:\\Mail\\a;b.pdf"},
      {"   \t\"C:\\a.jpg\";", "C:\\a.jpg"},
      {"\"C:\\a.jpg\"", "C:\\a.jpg"},
      {"\"C:\\a.jpg\"\r", "C:\\a.jpg"},
      {"\"\"; 12", ""},
      // Without quotes: up to the first ";", or the whole rest without its trailing blanks.
      {"C:\\x.jpg", "C:\\x.jpg"},
      {"C:\\x.jpg  \t\r", "C:\\x.jpg"},
      {"C:\\x.jpg; 12", "C:\\x.jpg"},
      {"C:\\My Files\\x.jpg", "C:\\My Files\\x.jpg"},
      // A quote that is never closed is dropped, like every quote of an unquoted path.
      {"\"C:\\x.jpg; 12", "C:\\x.jpg"},
      {"\"C:\\x.jpg", "C:\\x.jpg"},
      {"C:\\a\"b\".jpg; 1", "C:\\ab.jpg"},
      // Wildcards are letters here; nothing expands them later either.
      {"\"/*/*/*/*/*/*/*/*/*\"; 1", "/*/*/*/*/*/*/*/*/*"},
      {"", ""},
      {"   ", ""},
      {"; 12", ""},
      {"\r", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamedPath(c.afterFieldName), c.path) << c.afterFieldName;
  }
}

}  // namespace
}  // namespace vandrel
