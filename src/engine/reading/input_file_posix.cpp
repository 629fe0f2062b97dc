#include <cerrno>

#include "engine/reading/input_file.h"

namespace vandrel {

// POSIX has no mandatory locks, so the file is opened without keeping anyone out.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(std::fopen(path.c_str(), "rb"));
}

// Unlinked at once by the C library: nothing stays behind, however the program ends.
FilePointer OpenTemporaryFile() {
  errno = 0;
  return FilePointer(std::tmpfile());
}

}  // namespace vandrel
