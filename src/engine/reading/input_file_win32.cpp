#include <share.h>

#include "engine/reading/input_file.h"

namespace vandrel {

// Denies other programs reading and writing while the export is read.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(_fsopen(path.c_str(), "rb", _SH_DENYRW));
}

}  // namespace vandrel
