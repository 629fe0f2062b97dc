// The folder cache where POSIX systems show more: a link to it, its mode, a folder the system
// keeps closed, a FIFO or a device in its place.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "engine/destinations/thunderbird/folder_cache.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A link to the cache stays a link; its target is replaced and keeps its mode.
TEST(FolderCachePosixTest, ALinkStaysALinkAndTheModeStays) {
  TempFolder folder;
  const fs::path cache = folder.Path() / "folderCache.json";
  const fs::path target = folder.Path() / "real" / "cache.json";
  fs::create_directories(target.parent_path());
  { std::ofstream(target) << "{\"/p/old.msf\": {\"flags\": 4}}"; }
  ::chmod(target.c_str(), 0600);
  fs::create_symlink(target, cache);
  ASSERT_EQ(AddFolderNames(cache.string(), {{"/p/b.msf", "B"}}), FolderCacheResult::kWritten);
  EXPECT_TRUE(fs::is_symlink(cache));
  EXPECT_EQ(ReadBytes(target),
            "{\"/p/b.msf\":{\"folderName\":\"B\"},\"/p/old.msf\":{\"flags\":4}}");
  struct stat info {};
  ::stat(target.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
            1);
}

// Not even root may make a file in /sys: the cache cannot be written, and says so.
TEST(FolderCachePosixTest, ACacheThatCannotBeWrittenIsSaidSo) {
  EXPECT_EQ(AddFolderNames("/sys/folderCache.json", {{"/p/d.msf", "D"}}),
            FolderCacheResult::kWriteFailed);
}

// What is not a file once links are followed is never read: a FIFO would hold the run up for
// good, /dev/zero fill its memory. Each stays as it was.
TEST(FolderCachePosixTest, AFifoADeviceOrAFolderInTheCachesPlaceIsLeftAlone) {
  const struct {
    const char* what;
    void (*make)(const fs::path& cache);
  } cases[] = {
      {"a FIFO", [](const fs::path& cache) { ::mkfifo(cache.c_str(), 0600); }},
      {"a link to a FIFO",
       [](const fs::path& cache) {
         ::mkfifo((cache.parent_path() / "fifo").c_str(), 0600);
         fs::create_symlink("fifo", cache);
       }},
      {"a link to /dev/zero",
       [](const fs::path& cache) { fs::create_symlink("/dev/zero", cache); }},
      {"a link to a folder",
       [](const fs::path& cache) {
         fs::create_directory(cache.parent_path() / "folder");
         fs::create_symlink("folder", cache);
       }},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const fs::path cache = folder.Path() / "folderCache.json";
    c.make(cache);
    const auto status = [](const fs::path& path) {
      return std::make_pair(fs::symlink_status(path).type(), fs::status(path).type());
    };
    const auto before = status(cache);
    const auto entries = std::distance(fs::directory_iterator(folder.Path()), {});
    EXPECT_EQ(AddFolderNames(cache.string(), {{"/p/d.msf", "D"}}), FolderCacheResult::kNotJson)
        << c.what;
    EXPECT_EQ(status(cache), before) << c.what;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), entries) << c.what;
  }
}

}  // namespace
}  // namespace vandrel
