#include <windows.h>

#include <share.h>
#include <stdio.h>

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

}  // namespace vandrel
