#include <windows.h>

#include "engine/converting/file_exists.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(platform::FileSystemPath(path).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

}  // namespace vandrel
