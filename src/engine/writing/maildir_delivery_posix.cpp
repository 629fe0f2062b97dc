#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/file_error.h"
#include "engine/writing/maildir_delivery.h"
#include "engine/writing/maildir_delivery_platform.h"

namespace vandrel {

namespace maildir {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SetTime(int fd, std::optional<std::int64_t> time) {
  if (!time) return true;
  const struct timespec times[2] = {{static_cast<time_t>(*time), 0},
                                    {static_cast<time_t>(*time), 0}};
  return ::futimens(fd, times) == 0;
}

}  // namespace

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

std::int64_t ProcessId() {
  return ::getpid();
}

// O_NOFOLLOW with O_EXCL: nothing that stands at the name, a link included, is written through.
WriteResult WriteNewFile(const std::string& path, std::string_view bytes,
                         std::optional<std::int64_t> time, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return WriteResult::kExists;
    error = FileErrorMessageFromErrno(errno, path);
    return WriteResult::kFailed;
  }
  const bool written = WriteAll(fd, bytes) && SetTime(fd, time);
  const int writeError = errno;
  // close() is where some file systems (NFS) first report a full disk.
  const bool closed = ::close(fd) == 0;
  if (written && closed) return WriteResult::kWritten;
  error = FileErrorMessageFromErrno(written ? errno : writeError, path);
  ::unlink(path.c_str());
  return WriteResult::kFailed;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::string LastErrorText(const std::string& path) {
  return FileErrorMessageFromErrno(errno, path);
}

}  // namespace maildir

}  // namespace vandrel
