#include <share.h>
#include <stdlib.h>

#include "engine/writing/output_file.h"

namespace vandrel {

// Opened without sharing: no other program writes the file while it is made.
std::FILE* OutputFile::OpenForWriting(const std::string& path) {
  _doserrno = 0;
  return _fsopen(path.c_str(), "wb", _SH_DENYRW);
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromWindowsCode(static_cast<std::uint32_t>(_doserrno));
  return false;
}

}  // namespace vandrel
