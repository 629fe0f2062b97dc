#include <sys/stat.h>

#include "engine/converting/file_exists.h"

namespace vandrel {

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0;
}

}  // namespace vandrel
