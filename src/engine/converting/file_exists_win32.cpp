#include <windows.h>

#include "engine/converting/file_exists.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Not FindFirstFile, which takes "*" and "?" as wildcards; they cannot stand in a Windows name.
bool FileExists(const std::string& path) {
  if (path.empty() || path.find_first_of("*?", 0) != std::string::npos ||
      path.find('\0') != std::string::npos) {
    return false;
  }
  return ::GetFileAttributesW(platform::FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vandrel
