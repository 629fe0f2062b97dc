#include <windows.h>

#include <filesystem>

#include "engine/thunderbird/thunderbird_profile.h"

namespace vandrel {

// Thunderbird keeps parent.lock open without sharing while it runs.
bool IsProfileInUse(const std::string& profile) {
  const std::string lock = (std::filesystem::path(profile) / "parent.lock").string();
  HANDLE file = ::CreateFileA(lock.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace vandrel
