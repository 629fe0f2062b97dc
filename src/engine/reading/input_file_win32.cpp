#include <windows.h>

#include <io.h>
#include <share.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "engine/reading/input_file.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Denies other programs reading and writing while the export is read.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(::_wfsopen(platform::FileSystemPath(path).c_str(), L"rb", _SH_DENYRW));
}

// In the user's temporary folder (tmpfile() would use the root of the drive, which a user may
// not write to); "D" removes it when it is closed, "T" keeps it in memory where it can.
FilePointer OpenTemporaryFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(folder, L"vdl", 0, name) == 0) {
    errno = EACCES;
    return nullptr;
  }
  return FilePointer(_wfopen(name, L"w+bTD"));
}

bool CanReadAgain(std::FILE* file) {
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) == FILE_TYPE_DISK;
}

// Through the handle with the offset given, so the stream's own position and buffer do not
// matter.
bool ReadAt(std::FILE* file, std::uint64_t offset, char* destination, std::size_t length) {
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  while (length > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(handle, destination, wanted, &got, &at)) {
      errno = ::GetLastError() == ERROR_HANDLE_EOF ? 0 : EIO;
      return false;
    }
    if (got == 0) {
      errno = 0;
      return false;
    }
    destination += got;
    offset += got;
    length -= got;
  }
  return true;
}

std::optional<FileStamp> StampOf(std::FILE* file) {
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle, &information)) return std::nullopt;
  return FileStamp{
      (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow,
      static_cast<std::int64_t>(
          (static_cast<std::uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
          information.ftLastWriteTime.dwLowDateTime)};
}

}  // namespace vandrel
