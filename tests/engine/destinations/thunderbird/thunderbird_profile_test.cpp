#include "engine/destinations/thunderbird/thunderbird_profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST(ThunderbirdProfileTest, TheDefaultProfileIsTheOneThunderbirdOpens) {
  TempFolder data;
  const std::string base = data.Path().string();
  const struct {
    const char* what;
    const char* ini;
    std::string expected;
  } cases[] = {
      {"the installation's default wins",
       "[Profile1]\nName=default\nIsRelative=1\nPath=aaa.default\nDefault=1\n\n["
       "InstallFDC34C9F024745EB]\n"
       "Default=bbb.default-default\nLocked=1\n\n[Profile0]\nName=default-default\nIsRelative=1\n"
       "Path=bbb.default-default\n",
       (fs::path(base) / "bbb.default-default").string()},
      {"else the profile marked default",
       "[Profile0]\nPath=x\nIsRelative=1\n[Profile1]\nPath=y\nIsRelative=1\nDefault=1\n",
       (fs::path(base) / "y").string()},
      {"else the only one, absolute",
       "[General]\nVersion=2\r\n[Profile0]\r\nPath=/home/u/tb\r\nIsRelative=0\r\n", "/home/u/tb"},
      {"two without a default", "[Profile0]\nPath=x\n[Profile1]\nPath=y\n", ""},
      {"nothing", "", ""},
  };
  for (const auto& c : cases) {
    data.WriteFile("profiles.ini", c.ini);
    EXPECT_EQ(DefaultThunderbirdProfile(base), c.expected) << c.what;
  }
  EXPECT_EQ(DefaultThunderbirdProfile(base + "/missing"), "");
}

TEST(ThunderbirdProfileTest, LocalFoldersComeFromThePreferences) {
  TempFolder profile;
  const std::string base = profile.Path().string();
  EXPECT_EQ(LocalFoldersOf(base), std::nullopt);  // not set up yet
  profile.WriteFile("prefs.js", "user_pref(\"mail.accountmanager.localfoldersserver\", \"s\");\n");
  EXPECT_EQ(LocalFoldersOf(base), (fs::path(base) / "Mail" / "Local Folders").string());
  // An absolute path of this system, written as prefs.js escapes it.
  const std::string elsewhereFolder = (fs::temp_directory_path() / "elsewhere" / "LF").string();
  std::string elsewhere;
  for (char c : elsewhereFolder)
    elsewhere += c == '\\' ? std::string("\\\\") : std::string(1, c);
  profile.WriteFile(
      "prefs.js",
      "user_pref(\"mail.accountmanager.localfoldersserver\", \"server2\");\n"
      "user_pref(\"mail.server.server2.directory\", \"" +
          elsewhere +
          "\");\n"
          "user_pref(\"mail.server.server2.directory-rel\", \"[ProfD]Mail/Local Folders-1\");\n");
  EXPECT_EQ(LocalFoldersOf(base), (fs::path(base) / "Mail" / "Local Folders-1").string());
  profile.WriteFile("prefs.js",
                    "user_pref(\"mail.accountmanager.localfoldersserver\", \"server2\");\n"
                    "user_pref(\"mail.server.server2.directory\", \"" +
                        elsewhere + "\");\n");
  EXPECT_EQ(LocalFoldersOf(base), elsewhereFolder);
}

TEST(ThunderbirdProfileTest, PreferenceValuesAreUnquoted) {
  const std::string prefs =
      "user_pref(\"a\", \"quoted \\\"text\\\" \\\\ here\");\nuser_pref(\"b\", "
      "42);\nuser_pref(\"c\", true);\n";
  EXPECT_EQ(PreferenceValue(prefs, "a"), "quoted \"text\" \\ here");
  EXPECT_EQ(PreferenceValue(prefs, "b"), "42");
  EXPECT_EQ(PreferenceValue(prefs, "c"), "true");
  EXPECT_EQ(PreferenceValue(prefs, "d"), std::nullopt);
  EXPECT_EQ(PreferenceValue("user_pref(\"a\", \"unterminated", "a"), std::nullopt);
  // Commented out is no setting; comment marks inside strings are text.
  const std::string commented =
      "// user_pref(\"a\", 1);\n/* user_pref(\"b\", 2);\n user_pref(\"c\", 3); */\n"
      "# user_pref(\"d\", 4);\nuser_pref(\"e\", \"http://x/*y*/\"); // user_pref(\"f\", 6);\n"
      "user_pref(\"g\", 7);\n";
  for (const char* name : {"a", "b", "c", "d", "f"}) {
    EXPECT_EQ(PreferenceValue(commented, name), std::nullopt) << name;
  }
  EXPECT_EQ(PreferenceValue(commented, "e"), "http://x/*y*/");
  EXPECT_EQ(PreferenceValue(commented, "g"), "7");
}

}  // namespace
}  // namespace vandrel
