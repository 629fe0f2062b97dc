// The folder cache where Windows shows more: a cache another program holds open.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/destinations/thunderbird/folder_cache.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

// A cache that another program holds open can be read but not replaced: it is left as it was,
// and the run says so.
TEST(FolderCacheWin32Test, ACacheThatCannotBeWrittenIsSaidSo) {
  TempFolder folder;
  const std::string cache = folder.WriteFile("folderCache.json", "{}");
  const HANDLE holder =
      ::CreateFileW((folder.Path() / "folderCache.json").c_str(), GENERIC_READ, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AddFolderNames(cache, {{"/p/d.msf", "D"}}), FolderCacheResult::kWriteFailed);
  ::CloseHandle(holder);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace vandrel
