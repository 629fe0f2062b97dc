#include "engine/destinations/thunderbird/thunderbird_names.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(ThunderbirdNamesTest, NamesThunderbirdCannotStoreGetItsHashedForm) {
  const std::string c56(56, 'C');
  const struct {
    std::string name;
    std::string file;
  } cases[] = {
      {"Inbox", "Inbox"},
      {"Sent Items", "Sent Items"},
      {std::string(55, 'B'), std::string(55, 'B')},
      // Hashes read off files that Thunderbird 153 itself created.
      {c56, std::string(47, 'C') + "7f881299"},
      {std::string(70, 'E'), std::string(47, 'E') + "7596baeb"},
      {"Entw\xC3\xBCrfe " + std::string(111, 'D'),
       "Entw\xC3\xBCrfe " + std::string(38, 'D') + "58559adc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ThunderbirdFileName(c.name), c.file) << c.name;

  // The limit counts UTF-16 units, not bytes.
  std::string umlauts;
  for (int i = 0; i < 55; ++i)
    umlauts += "\xC3\xBC";
  EXPECT_EQ(ThunderbirdFileName(umlauts), umlauts);
  const std::string hashed = ThunderbirdFileName(umlauts + "\xC3\xBC");
  EXPECT_EQ(hashed.size(), 47u * 2 + 8);
}

TEST(ThunderbirdNamesTest, RefusedCharactersCutTheNameThere) {
  // Read off folders that Thunderbird 153 itself created.
  EXPECT_EQ(ThunderbirdFileName("x:y"), "x24e8c11a");
  EXPECT_EQ(ThunderbirdFileName("x#y"), "xfbeb318b");
  EXPECT_EQ(ThunderbirdFileName("x\x7Fy"), "x9fe16fc7");
  for (const char* name : {"x%y", "x&y", "x y", "x,y", "x[y", "x@y"})
    EXPECT_EQ(ThunderbirdFileName(name), name);
#ifndef _WIN32
  EXPECT_EQ(ThunderbirdFileName("x\\y"), "x\\y");  // a backslash separates folders only on Windows
#endif
  const std::string refused = "/:*?\"<>|;#";
  for (const char* name :
       {"Work;Home", "a/b", "Re: x", "what?", ".hidden", "ends.", "ends~", "ends "}) {
    const std::string file = ThunderbirdFileName(name);
    const std::string text(name);
    const std::size_t kept = text.find_first_of(refused) != std::string::npos
                                 ? text.find_first_of(refused)
                             : text[0] == '.' ? 0
                                              : text.size() - 1;
    EXPECT_EQ(file.size(), kept + 8) << name;
    EXPECT_EQ(file.substr(0, kept), text.substr(0, kept)) << name;
    EXPECT_EQ(ThunderbirdFileName(file), file) << "stable: " << name;
  }
  EXPECT_NE(ThunderbirdFileName("a;b"), ThunderbirdFileName("a;c"));
}

}  // namespace
}  // namespace vandrel
