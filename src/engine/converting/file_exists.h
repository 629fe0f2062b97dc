// Whether a file or directory of exactly this name exists. Nothing in the name is a pattern: a
// "*" or "?" is a letter, so a name never makes anyone walk the disk. The file is not opened;
// an empty path is never found.
#pragma once

#include <string>

namespace vandrel {

bool FileExists(const std::string& path);

}  // namespace vandrel
