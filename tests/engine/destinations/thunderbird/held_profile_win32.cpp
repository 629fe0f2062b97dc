#include <windows.h>

#include "held_profile.h"

namespace vandrel::test {

namespace {

// Thunderbird on Windows holds parent.lock open without sharing.
class OpenParentLock : public HeldProfile {
 public:
  explicit OpenParentLock(const std::filesystem::path& profile)
      : lock_(profile / "parent.lock"),
        handle_(::CreateFileW(lock_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenParentLock() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    std::error_code ignored;
    std::filesystem::remove(lock_, ignored);
  }

 private:
  std::filesystem::path lock_;
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<HeldProfile> HoldProfile(const std::filesystem::path& profile) {
  return std::make_unique<OpenParentLock>(profile);
}

}  // namespace vandrel::test
