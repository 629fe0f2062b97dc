#include "engine/converting/path_resolver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/converting/file_exists.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A name is looked up as it is written: wildcards once made a name in a message walk the disk.
TEST(FileExistsTest, FindsExactlyTheNameWithoutWildcards) {
  TempFolder folder;
  const std::string file = folder.WriteFile("a[1].jpg", "x");
  const std::string base = folder.Path().string();
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(FileExists(base));
  for (const std::string& pattern : std::vector<std::string>{
           base + "/*.jpg", base + "/a[1].?pg", base + "/*", base + "/a[[]1].jpg",
           std::string("/*/*/*/*/*/*/*/*/*"), base + "/*.png", base + "/missing", std::string(),
           file + std::string(1, '\0')}) {
    EXPECT_FALSE(FileExists(pattern)) << pattern;
  }
#ifndef _WIN32
  // On other systems "*" and "?" are letters of a name like any other.
  const std::string starred = folder.WriteFile("a*?.jpg", "x");
  EXPECT_TRUE(FileExists(starred));
#endif
}

class PathResolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(export_.Path() / "Attach" / "Sub");
    export_.WriteFile("Attach/Photo.JPG", "jpeg");
    export_.WriteFile("Attach/Sub/Note.txt", "note");
    fs::create_directories(extra_.Path() / "Calypso" / "Attach");
    extra_.WriteFile("Calypso/Attach/Photo.JPG", "other jpeg");
  }
  TempFolder export_;
  TempFolder extra_;
};

TEST_F(PathResolverTest, FindsWindowsPathsBelowTheSearchFolders) {
  const std::string exportDir = export_.Path().string();
  const std::string extraDir = extra_.Path().string();
  PathResolver resolver({extraDir, exportDir});
  const struct {
    std::string written;
    std::string expected;
  } cases[] = {
      // The first folder wins, with the longest tail that exists below it.
      {"C:\\Calypso\\Attach\\Photo.JPG", extraDir + "/Calypso/Attach/Photo.JPG"},
      {"C:\\Calypso\\attach\\photo.jpg", extraDir + "/Calypso/Attach/Photo.JPG"},
      {"D:\\Old\\Attach\\Sub\\note.TXT", exportDir + "/Attach/Sub/Note.txt"},
      {"\\\\server\\share\\Attach\\Sub\\Note.txt", exportDir + "/Attach/Sub/Note.txt"},
      {"C:\\\\Calypso\\\\Attach\\\\Photo.JPG", extraDir + "/Calypso/Attach/Photo.JPG"},
      {"C:/Mail\\Attach/Sub\\Note.txt", exportDir + "/Attach/Sub/Note.txt"},
      // Nothing that steps outside a folder, nothing without a backslash, nothing missing.
      {"C:\\x\\..\\Attach\\Photo.JPG", ""},
      {"C:\\.\\Attach\\Photo.JPG", ""},
      {"Attach/Photo.JPG", ""},
      {"C:\\Calypso\\Attach\\Missing.jpg", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    const std::string found = resolver.Resolve(c.written);
    // Systems that ignore case may keep the case as written: the same file all the same.
    EXPECT_EQ(found.empty(), c.expected.empty()) << c.written << " " << found;
    if (!found.empty() && !c.expected.empty()) {
      EXPECT_TRUE(fs::equivalent(found, c.expected)) << c.written << " " << found;
    }
  }
}

TEST_F(PathResolverTest, APathThatExistsAsWrittenIsTakenAsItIs) {
  PathResolver resolver({extra_.Path().string()});
  const std::string local = (export_.Path() / "Attach" / "Photo.JPG").string();
  EXPECT_EQ(resolver.Resolve(local), local);
}

}  // namespace
}  // namespace vandrel
