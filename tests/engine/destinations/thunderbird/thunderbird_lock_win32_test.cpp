// Thunderbird's lock on Windows: parent.lock held open without sharing while it runs.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/destinations/thunderbird/thunderbird_profile.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

TEST(ThunderbirdLockWin32Test, AProfileIsInUseWhileParentLockIsHeldWithoutSharing) {
  TempFolder profile;
  const std::wstring lockFile = (profile.Path() / "parent.lock").wstring();
  EXPECT_FALSE(IsProfileInUse(profile.Path().string())) << "no lock file at all";
  // Thunderbird's own way: created if missing and kept open, shared with no one.
  const HANDLE held = ::CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(IsProfileInUse(profile.Path().string()));
  ::CloseHandle(held);
  // A lock file left behind by a Thunderbird that has ended holds nothing.
  EXPECT_FALSE(IsProfileInUse(profile.Path().string()));
}

TEST(ThunderbirdLockWin32Test, AProfileWithANonAsciiPathIsCheckedToo) {
  TempFolder base;
  const std::filesystem::path profile = base.Path() / u8"Prof\u00efl \u0394";
  std::filesystem::create_directories(profile);
  const HANDLE held = ::CreateFileW((profile / "parent.lock").wstring().c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::u8string name = profile.u8string();
  EXPECT_TRUE(IsProfileInUse(std::string(name.begin(), name.end())));
  ::CloseHandle(held);
}

}  // namespace
}  // namespace vandrel
