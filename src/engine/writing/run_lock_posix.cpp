#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/writing/run_lock.h"

namespace vandrel {

bool IsLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// O_NOFOLLOW: a link at the lock's place would make or open a file wherever it points.
RunLock::Result RunLock::Take(const std::string& lockFile) {
  Release();
  path_ = lockFile;
  for (;;) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      error_ = errno;
      return IsLink(lockFile) ? Result::kLinked : Result::kFailed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return Result::kBusy;
      error_ = error;
      return Result::kFailed;
    }
    // The holder before us may have removed the file between our open and our lock; then the
    // lock is on a file nobody else will find, and the one at the path is taken anew (lstat: a
    // link put there meanwhile is not the file, and is refused on the next open).
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::lstat(lockFile.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      handle_ = fd;
      return Result::kTaken;
    }
    ::close(fd);
  }
}

// Removed while still held, so that no one takes a lock on a file that is about to go.
void RunLock::Release() {
  if (handle_ < 0) return;
  ::unlink(path_.c_str());
  ::close(static_cast<int>(handle_));
  handle_ = -1;
}

FileErrorCause RunLock::ErrorCause() const {
  return FileErrorCauseFromErrno(error_, path_);
}

// AT_EACCESS: the rights the run would open the file with. A read-only file system says EROFS.
std::optional<FileErrorCause> CanAddFile(const std::string& folder, const std::string& fileInIt) {
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return std::nullopt;
  return FileErrorCauseFromErrno(errno, fileInIt);
}

}  // namespace vandrel
