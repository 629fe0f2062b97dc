#include <share.h>
#include <stdio.h>

#include "engine/reading/input_file.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

// Denies other programs reading and writing while the export is read.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(::_wfsopen(platform::FileSystemPath(path).c_str(), L"rb", _SH_DENYRW));
}

}  // namespace vandrel
