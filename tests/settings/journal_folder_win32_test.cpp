// The journal of runs into mail accounts lives in the user's local application data, which the
// shell and the environment name alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/journal_folder.h"

namespace vandrel {
namespace {

TEST(JournalFolderWin32Test, IsVandrelsAccountsFolderInLocalAppData) {
  wchar_t local[MAX_PATH] = {};
  ASSERT_GT(::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
  const std::filesystem::path folder = RunJournalFolder();
  EXPECT_TRUE(folder.is_absolute()) << folder;
  EXPECT_EQ(folder, std::filesystem::path(local) / L"Vandrel" / L"accounts");
}

}  // namespace
}  // namespace vandrel
