#include <glob.h>
#include <sys/stat.h>

#include "engine/converting/file_exists.h"

namespace vandrel {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  if (path.find_first_of("*?") == std::string::npos) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
  }
  glob_t matches{};
  // Only "*" and "?" are wildcards for the lookup; brackets and braces are plain characters.
  std::string pattern;
  for (char c : path) {
    if (c == '[' || c == ']' || c == '\\') pattern += '\\';
    pattern += c;
  }
  const bool found =
      ::glob(pattern.c_str(), GLOB_NOSORT, nullptr, &matches) == 0 && matches.gl_pathc > 0;
  ::globfree(&matches);
  return found;
}

}  // namespace vandrel
