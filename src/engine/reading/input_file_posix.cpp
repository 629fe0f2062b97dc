#include "engine/reading/input_file.h"

namespace vandrel {

// POSIX has no mandatory locks, so the file is opened without keeping anyone out.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(std::fopen(path.c_str(), "rb"));
}

}  // namespace vandrel
