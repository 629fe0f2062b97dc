// Caches the run leaves alone: too large or too deep to be Thunderbird's, or not a file.
#include "engine/destinations/thunderbird/folder_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A JSON object of exactly `size` bytes.
std::string ObjectOfSize(std::size_t size) {
  std::string text = "{\"/p/a.msf\":{}";
  text.resize(size - 1, ' ');
  return text + "}";
}

// Nested `depth` deep, counting the cache's own object.
std::string NestedObject(std::size_t depth) {
  return "{\"/p/a.msf\":" + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
}

TEST(FolderCacheTest, ACacheTooLargeOrTooDeepForThunderbirdsIsLeftAsItWas) {
  const struct {
    const char* what;
    std::string text;
    FolderCacheResult result;
  } cases[] = {
      {"as large as one may be", ObjectOfSize(kMaxFolderCacheSize), FolderCacheResult::kWritten},
      {"a byte larger", ObjectOfSize(kMaxFolderCacheSize + 1), FolderCacheResult::kNotJson},
      {"as deep as one may be", NestedObject(64), FolderCacheResult::kWritten},
      {"a level deeper", NestedObject(65), FolderCacheResult::kNotJson},
      // Written back, it would take as many nested calls.
      {"a million levels deep", NestedObject(1000000), FolderCacheResult::kNotJson},
      {"brackets in strings do not count", "{\"" + std::string(1000, '[') + "\":{}}",
       FolderCacheResult::kWritten},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const std::string cache = folder.WriteFile("folderCache.json", c.text);
    EXPECT_EQ(AddFolderNames(cache, {{"/p/new.msf", "New"}}), c.result) << c.what;
    const std::string after = ReadBytes(cache);
    if (c.result == FolderCacheResult::kWritten) {
      EXPECT_NE(after.find("\"/p/new.msf\":{\"folderName\":\"New\"}"), std::string::npos) << c.what;
    } else {
      EXPECT_TRUE(after == c.text) << c.what;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
        << c.what;
  }
}

TEST(FolderCacheTest, AFolderInTheCachesPlaceIsLeftAsItWas) {
  TempFolder folder;
  const fs::path cache = folder.Path() / "folderCache.json";
  fs::create_directories(cache / "inside");
  EXPECT_EQ(AddFolderNames(cache.string(), {{"/p/new.msf", "New"}}), FolderCacheResult::kNotJson);
  EXPECT_TRUE(fs::is_directory(cache / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace vandrel
