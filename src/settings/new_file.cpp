#include "settings/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vandrel {
namespace {

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

NewFileResult WriteNewFile(const std::filesystem::path& path, std::string_view contents,
                           mode_t mode) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return errno == EEXIST ? NewFileResult::NameTaken : NewFileResult::Failed;
  // The mode given to open() is narrowed by the umask; the caller's choice should stand.
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, contents) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) return NewFileResult::Written;
  unlink(path.c_str());
  return NewFileResult::Failed;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace vandrel
