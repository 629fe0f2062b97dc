#include <windows.h>

#include "engine/writing/run_lock.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Opened without sharing, the file is the lock; Windows removes it when the handle closes, also
// when the program is killed.
RunLock::Result RunLock::Take(const std::string& lockFile) {
  Release();
  path_ = lockFile;
  const HANDLE file = ::CreateFileW(platform::FileSystemPath(lockFile).c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return Result::kBusy;
    error_ = static_cast<int>(error);
    return Result::kFailed;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return Result::kTaken;
}

void RunLock::Release() {
  if (handle_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

FileErrorCause RunLock::ErrorCause() const {
  return FileErrorCauseFromWindowsCode(static_cast<std::uint32_t>(error_));
}

}  // namespace vandrel
