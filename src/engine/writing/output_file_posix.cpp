#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

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

std::optional<FileErrorCause> CheckFolderTakesFiles(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return FileErrorCause::kBadPath;
    return FileErrorCauseFromErrno(errno, folder);
  }
  if (!S_ISDIR(info.st_mode)) return FileErrorCause::kBadPath;
  std::string name = folder + "/.vandrel-probe-XXXXXX";
  std::vector<char> probe(name.begin(), name.end());
  probe.push_back('\0');
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return FileErrorCauseFromErrno(errno, folder);
  ::close(fd);
  ::unlink(probe.data());
  return std::nullopt;
}

}  // namespace vandrel
