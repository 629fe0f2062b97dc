// The profile output where POSIX systems show more: a FIFO or a device in the folder cache's
// place, Local Folders the user may not write into.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/destinations/thunderbird/thunderbird_folders.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "profile_fixture.h"
#include "temp_folder.h"
#include "writing/permissions_bind.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// The run puts its folders in place and ends as for a cache that is no JSON; the cache's
// place is left as it was, and no lock stays.
TEST(ThunderbirdFoldersPosixTest, ACacheThatIsNoFileLeavesTheRunWholeWithANote) {
  const struct {
    const char* what;
    void (*make)(const fs::path& cache);
  } cases[] = {
      {"a folder", [](const fs::path& cache) { fs::create_directory(cache); }},
      {"a FIFO", [](const fs::path& cache) { ::mkfifo(cache.c_str(), 0600); }},
      {"a link to /dev/zero",
       [](const fs::path& cache) { fs::create_symlink("/dev/zero", cache); }},
  };
  for (const auto& c : cases) {
    TempFolder profile;
    test::WritePrefs(profile.Path());
    const fs::path cache = profile.Path() / "folderCache.json";
    c.make(cache);
    const fs::file_type kind = fs::symlink_status(cache).type();
    const fs::path local = profile.Path() / "Mail" / "Local Folders";
    {
      ThunderbirdFolders target(profile.Path().string());
      ASSERT_EQ(target.Check(), "") << c.what;
      ASSERT_EQ(target.Prepare(), "") << c.what;
      const std::string name(80, 'x');
      ASSERT_EQ(target.BeginFolder({name, {name}}), "");
      ASSERT_EQ(target.EndFolder(), "");
      EXPECT_EQ(target.Finish(), "") << c.what;
      EXPECT_EQ(target.Note(), "note: " + cache.string() +
                                   " could not be read, so the full names of folders with long "
                                   "names are not in it; Thunderbird shows them shortened.")
          << c.what;
    }
    EXPECT_TRUE(fs::is_regular_file(local / "Calypso")) << c.what;
    EXPECT_EQ(fs::symlink_status(cache).type(), kind) << c.what;
    EXPECT_FALSE(fs::exists(local / ".vandrel.lock")) << c.what;
  }
}

// "check" says what "convert" meets about Local Folders, also where they are still to be made,
// and a look makes nothing.
TEST(ThunderbirdFoldersPosixTest, ALookFindsLocalFoldersTheUserMayNotWriteInto) {
  const struct {
    const char* what;
    const char* readOnly;  // below the profile
    bool localFoldersMissing;
    FileErrorCause cause;
  } cases[] = {
      {"read-only Local Folders", "Mail/Local Folders", false, FileErrorCause::kAccessDenied},
      // Local Folders cannot be made, so the lock file has no folder to go into.
      {"missing Local Folders in a read-only Mail", "Mail", true, FileErrorCause::kBadPath},
  };
  for (const auto& c : cases) {
    TempFolder profile;
    fs::permissions(profile.Path(), static_cast<fs::perms>(0755));
    test::WritePrefs(profile.Path());
    if (c.localFoldersMissing) fs::remove(profile.Path() / "Mail" / "Local Folders");
    const fs::path readOnly = profile.Path() / c.readOnly;
    fs::permissions(readOnly, static_cast<fs::perms>(0555));
    const auto before = test::Snapshot(profile.Path());
    const std::string found = test::WherePermissionsBind([&profile] {
      ThunderbirdFolders looked(profile.Path().string());
      const std::string inspected = looked.Inspect();
      ThunderbirdFolders converted(profile.Path().string());
      return inspected + "|" + converted.Check();
    });
    const std::string expected = FileErrorMessage(c.cause, profile.Path().string());
    EXPECT_EQ(found, expected + "|" + expected) << c.what;
    EXPECT_EQ(test::Snapshot(profile.Path()), before) << c.what;
    fs::permissions(readOnly, fs::perms::owner_all);
  }
}

TEST(ThunderbirdFoldersPosixTest, ALookFindsNothingWhereTheRunCanWrite) {
  TempFolder profile;
  fs::permissions(profile.Path(), static_cast<fs::perms>(0777));
  test::WritePrefs(profile.Path());
  fs::permissions(profile.Path() / "Mail", static_cast<fs::perms>(0777));
  fs::remove(profile.Path() / "Mail" / "Local Folders");
  const std::string found = test::WherePermissionsBind([&profile] {
    ThunderbirdFolders looked(profile.Path().string());
    return looked.Inspect();
  });
  EXPECT_EQ(found, "");
  EXPECT_FALSE(fs::exists(profile.Path() / "Mail" / "Local Folders"));
}

}  // namespace
}  // namespace vandrel
