#include <cerrno>

#include "engine/writing/output_file.h"

namespace vandrel {

std::FILE* OutputFile::OpenForWriting(const std::string& path) {
  errno = 0;
  return std::fopen(path.c_str(), "wb");
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromErrno(errno != 0 ? errno : EIO, path_);
  return false;
}

}  // namespace vandrel
