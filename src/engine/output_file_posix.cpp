#include <cerrno>

#include "engine/output_file.h"

namespace vandrel {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}  // namespace

bool OutputFile::Open(const std::string& path) {
  path_ = path;
  errno = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return Fail();
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  return true;
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromErrno(errno != 0 ? errno : EIO, path_);
  return false;
}

}  // namespace vandrel
