#include <windows.h>

#include <algorithm>

#include "engine/file_error.h"
#include "engine/writing/maildir_delivery.h"
#include "engine/writing/maildir_delivery_platform.h"
#include "platform/file_system_path_win32.h"
#include "platform/utf16_win32.h"

namespace vandrel {

namespace maildir {

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// FILETIME counts 100-nanosecond steps since 1601-01-01.
bool SetTime(HANDLE file, std::optional<std::int64_t> time) {
  if (!time) return true;
  constexpr std::int64_t kEpochIn1601Steps = 116444736000000000LL;
  const std::int64_t steps = *time * 10000000LL + kEpochIn1601Steps;
  if (steps < 0) return true;  // before 1601: the file keeps the time it was made
  FILETIME stamp{static_cast<DWORD>(steps & 0xFFFFFFFF), static_cast<DWORD>(steps >> 32)};
  return ::SetFileTime(file, nullptr, &stamp, &stamp) != 0;
}

std::string ErrorText(DWORD code, const std::string& path) {
  return FileErrorMessage(FileErrorCauseFromWindowsCode(code), path);
}

}  // namespace

std::string HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!::GetComputerNameW(name, &size) || size == 0) return "localhost";
  return platform::Narrow(std::wstring_view(name, size));
}

std::int64_t ProcessId() {
  return ::GetCurrentProcessId();
}

// Flushed here, file by file: Windows has no flush of one volume for a user.
WriteResult WriteNewFile(const std::string& path, std::string_view bytes,
                         std::optional<std::int64_t> time, std::string& error) {
  const std::wstring name = platform::FileSystemPath(path);
  const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_EXISTS) return WriteResult::kExists;
    error = ErrorText(code, path);
    return WriteResult::kFailed;
  }
  const bool written = WriteAll(file, bytes) && SetTime(file, time) && ::FlushFileBuffers(file);
  const DWORD code = ::GetLastError();
  const bool closed = ::CloseHandle(file) != 0;
  if (written && closed) return WriteResult::kWritten;
  error = ErrorText(written ? ::GetLastError() : code, path);
  ::DeleteFileW(name.c_str());
  return WriteResult::kFailed;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(platform::FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFile(const std::string& path) {
  ::DeleteFileW(platform::FileSystemPath(path).c_str());
}

std::string LastErrorText(const std::string& path) {
  return ErrorText(::GetLastError(), path);
}

}  // namespace maildir

}  // namespace vandrel
