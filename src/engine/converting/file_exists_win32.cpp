#include <windows.h>

#include "engine/converting/file_exists.h"

namespace vandrel {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAA data;
  HANDLE search = ::FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

}  // namespace vandrel
