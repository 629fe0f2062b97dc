#include <windows.h>

#include "engine/writing/run_lock.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

namespace {

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A link put there after IsLink looked is opened itself, not what it points to, and goes when
// the handle closes.
bool OpenedALink(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(file, &info) && IsReparsePoint(info.dwFileAttributes);
}

}  // namespace

bool IsLink(const std::string& path) {
  return IsReparsePoint(::GetFileAttributesW(platform::FileSystemPath(path).c_str()));
}

// Opened without sharing, the file is the lock; Windows removes it when the handle closes, also
// when the program is killed. A link (a reparse point) at the lock's place is refused, never
// followed: it would make or open a file wherever it points.
RunLock::Result RunLock::Take(const std::string& lockFile) {
  Release();
  path_ = lockFile;
  if (IsLink(lockFile)) return Result::kLinked;
  const HANDLE file = ::CreateFileW(
      platform::FileSystemPath(lockFile).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
      nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return Result::kBusy;
    error_ = static_cast<int>(error);
    return Result::kFailed;
  }
  if (OpenedALink(file)) {
    ::CloseHandle(file);
    return Result::kLinked;
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

// A folder opened for adding files, as the run's files will be: read-only media and folders
// the user may not write into refuse it. Nothing is made.
std::optional<FileErrorCause> CanAddFile(const std::string& folder, const std::string&) {
  const HANDLE handle = ::CreateFileW(platform::FileSystemPath(folder).c_str(), FILE_ADD_FILE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return FileErrorCauseFromWindowsCode(static_cast<std::uint32_t>(::GetLastError()));
  }
  ::CloseHandle(handle);
  return std::nullopt;
}

}  // namespace vandrel
