#include <windows.h>

#include "engine/destinations/thunderbird/thunderbird_profile.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Thunderbird keeps parent.lock open without sharing while it runs; a lock file that opens is
// one left behind.
bool IsProfileInUse(const std::string& profile) {
  const std::wstring lock = platform::FileSystemPath(profile + "\\parent.lock");
  HANDLE file = ::CreateFileW(lock.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace vandrel
