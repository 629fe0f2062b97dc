#include <share.h>
#include <stdlib.h>

#include "engine/output_file.h"

namespace vandrel {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}  // namespace

bool OutputFile::Open(const std::string& path) {
  path_ = path;
  _doserrno = 0;
  // Opened without sharing: no other program writes the file while it is made.
  file_ = _fsopen(path.c_str(), "wb", _SH_DENYRW);
  if (file_ == nullptr) return Fail();
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  return true;
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromWindowsCode(static_cast<std::uint32_t>(_doserrno));
  return false;
}

}  // namespace vandrel
