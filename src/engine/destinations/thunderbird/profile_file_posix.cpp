#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/destinations/thunderbird/profile_file.h"

namespace vandrel {

namespace {

using State = ProfileFile::State;

ProfileFile Failed(int error) {
  return {error == ENOENT ? State::kMissing : State::kUnusable, {}};
}

// Up to one byte past the bound, so that a file that grew past it is found.
ProfileFile ReadOpened(int fd, std::size_t maxSize) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) > maxSize) {
    return {State::kUnusable, {}};
  }
  std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t size = 0;
  while (size < text.size()) {
    const ssize_t got = ::read(fd, text.data() + size, text.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {State::kUnusable, {}};
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
    if (size == text.size() && size <= maxSize) text.resize(std::min(2 * size, maxSize + 1));
  }
  if (size > maxSize) return {State::kUnusable, {}};
  text.resize(size);
  return {State::kRead, std::move(text)};
}

}  // namespace

// Looked at before it is opened: opening a device or a FIFO can itself wait or act. O_NONBLOCK
// for one put in the file's place meanwhile; fstat then refuses it.
ProfileFile ReadProfileFile(const std::string& path, std::size_t maxSize) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Failed(errno);
  if (!S_ISREG(info.st_mode)) return {State::kUnusable, {}};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Failed(errno);
  ProfileFile file = ReadOpened(fd, maxSize);
  ::close(fd);
  return file;
}

}  // namespace vandrel
