// Whether a find-first lookup of the path yields anything: an existing file or directory, or a
// wildcard pattern ("*", "?") that matches. The file is not opened; an empty path is never found.
#pragma once

#include <string>

namespace vandrel {

bool FileExists(const std::string& path);

}  // namespace vandrel
