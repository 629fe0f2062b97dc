#include <windows.h>

#include <share.h>
#include <stdlib.h>

#include <string>

#include "engine/writing/output_file.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Opened without sharing: no other program writes the file while it is made.
std::FILE* OutputFile::OpenForWriting(const std::string& path) {
  _doserrno = 0;
  return ::_wfsopen(platform::FileSystemPath(path).c_str(), L"wb", _SH_DENYRW);
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromWindowsCode(static_cast<std::uint32_t>(_doserrno));
  return false;
}

std::optional<FileErrorCause> CheckFolderTakesFiles(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesW(platform::FileSystemPath(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return FileErrorCause::kBadPath;
  }
  const std::string probe = folder + "\\.vandrel-probe-" + std::to_string(::GetCurrentProcessId()) +
                            "-" + std::to_string(::GetTickCount64());
  const HANDLE file =
      ::CreateFileW(platform::FileSystemPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileErrorCauseFromWindowsCode(::GetLastError());
  ::CloseHandle(file);
  return std::nullopt;
}

}  // namespace vandrel
