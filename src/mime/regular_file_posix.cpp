#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "mime/regular_file.h"

namespace vandrel::mime {

bool RegularFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: opening a FIFO without a writer must not hang; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<std::int64_t>(info.st_size);
  return true;
}

int RegularFile::ReadFromSystem(char* buffer, int count) {
  while (true) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer, static_cast<std::size_t>(count));
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return -1;
  }
}

void RegularFile::Close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  size_ = -1;
  buffered_ = consumed_ = 0;
}

}  // namespace vandrel::mime
