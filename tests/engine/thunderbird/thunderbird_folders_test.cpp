#include "engine/thunderbird/thunderbird_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/thunderbird/folder_cache.h"
#include "engine/thunderbird/thunderbird_names.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ThunderbirdFoldersTest : public ::testing::Test {
 protected:
  fs::path LocalFolders() const { return profile_.Path() / "Mail" / "Local Folders"; }
  TempFolder profile_;
};

TEST_F(ThunderbirdFoldersTest, ANewTopFolderHoldsOneFilePerFolder) {
  fs::create_directories(LocalFolders() / "calypso.sbd");
  { std::ofstream(LocalFolders() / "Calypso-2"); }
  ThunderbirdFolders target(profile_.Path().string());
  ASSERT_EQ(target.Check(), "");
  ASSERT_EQ(target.Prepare(), "");
  const fs::path top = LocalFolders() / "Calypso-3";
  EXPECT_EQ(target.Description(), top.string());
  EXPECT_TRUE(fs::is_regular_file(top));
  EXPECT_TRUE(fs::is_directory(top.string() + ".sbd"));

  const fs::path sub = top.string() + ".sbd";
  const std::string longName = "Entw\xC3\xBCrfe " + std::string(60, 'x');
  EXPECT_EQ(target.FileFor("Sent Items", "Sent_Items"), (sub / "Sent Items").string());
  EXPECT_EQ(target.FileFor("Inbox", "Inbox"), (sub / "Inbox").string());
  EXPECT_EQ(target.FileFor("inbox", "inbox"), (sub / "inbox-2").string());
  EXPECT_EQ(target.FileFor("", ""), (sub / "Unnamed folder").string());
  EXPECT_EQ(target.FileFor("2003/2004", "2003_2004"), (sub / "2003_2004").string());
  const std::string longFile = (sub / Utf8Path(ThunderbirdFileName(longName))).string();
  EXPECT_EQ(target.FileFor(longName, "x"), longFile);
  EXPECT_EQ(target.Finish(), "");
  const std::string cache = ReadText(profile_.Path() / "folderCache.json");
  std::string key;  // the file's path as a JSON string
  for (char c : longFile)
    key += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_EQ(cache, "{\"" + key + ".msf\":{\"folderName\":\"" + longName + "\"}}");
  // Existing folders were left alone.
  EXPECT_TRUE(fs::is_empty(LocalFolders() / "calypso.sbd"));
}

TEST_F(ThunderbirdFoldersTest, AMissingProfileIsRefused) {
  ThunderbirdFolders target((profile_.Path() / "nope").string());
  EXPECT_NE(target.Check().find("no Thunderbird profile found"), std::string::npos);
}

TEST(FolderCacheTest, EntriesJoinWhatTheCacheHeld) {
  TempFolder folder;
  const std::string cache = (folder.Path() / "folderCache.json").string();
  ASSERT_TRUE(AddFolderNames(cache, {{"/p/a.msf", "A \"quoted\" \\ name\n"}}));
  EXPECT_EQ(ReadText(cache),
            "{\"/p/a.msf\":{\"folderName\":\"A \\\"quoted\\\" \\\\ name\\u000a\"}}");
  folder.WriteFile("folderCache.json", " {\n  \"/p/old.msf\": {\"flags\": 4}\n}\n");
  ASSERT_TRUE(AddFolderNames(cache, {{"/p/b.msf", "B"}, {"/p/c.msf", "C"}}));
  EXPECT_EQ(ReadText(cache),
            " {\"/p/b.msf\":{\"folderName\":\"B\"},\"/p/c.msf\":{\"folderName\":\"C\"},\n  "
            "\"/p/old.msf\": {\"flags\": "
            "4}\n}\n");
  folder.WriteFile("folderCache.json", "[1, 2]");
  EXPECT_FALSE(AddFolderNames(cache, {{"/p/d.msf", "D"}}));
  EXPECT_EQ(ReadText(cache), "[1, 2]");
}

}  // namespace
}  // namespace vandrel
