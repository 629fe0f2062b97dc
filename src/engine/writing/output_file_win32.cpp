#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "engine/writing/output_file.h"
#include "engine/writing/temporary_name.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

}  // namespace

// Opened without sharing: no other program reads or writes the file while it is made.
bool OutputFile::CreateTemporary(const std::string& temporaryPrefix) {
  const std::string folder = FolderOf(path_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + "\\" + TemporaryName(temporaryPrefix);
    const HANDLE file = ::CreateFileW(platform::FileSystemPath(name).c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(file);
      temporaryPath_ = name;
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return Fail();
  }
  return Fail();
}

bool OutputFile::WriteBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), chunk, &written, nullptr)) {
      return Fail();
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// Flushed whatever the caller asks: Windows has no flush of a whole volume for a user.
bool OutputFile::SyncAndClose(bool) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  const bool flushed = ::FlushFileBuffers(file) != 0;
  const DWORD flushError = ::GetLastError();
  const bool closed = ::CloseHandle(file) != 0;
  handle_ = -1;
  if (!flushed) ::SetLastError(flushError);
  return flushed && closed ? true : Fail();
}

// The finished file shows; it was hidden while it was made.
bool OutputFile::RenameIntoPlace(bool) {
  const std::wstring from = platform::FileSystemPath(temporaryPath_);
  ::SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::MoveFileExW(from.c_str(), platform::FileSystemPath(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Fail();
  }
  return true;
}

void OutputFile::CloseAndRemove() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  if (!temporaryPath_.empty()) ::DeleteFileW(platform::FileSystemPath(temporaryPath_).c_str());
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromWindowsCode(::GetLastError());
  return false;
}

}  // namespace vandrel
