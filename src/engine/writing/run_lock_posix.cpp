#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/writing/run_lock.h"

namespace vandrel {

RunLock::Result RunLock::Take(const std::string& lockFile) {
  Release();
  path_ = lockFile;
  for (;;) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      error_ = errno;
      return Result::kFailed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return Result::kBusy;
      error_ = error;
      return Result::kFailed;
    }
    // The holder before us may have removed the file between our open and our lock; then the
    // lock is on a file nobody else will find, and the one at the path is taken anew.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::stat(lockFile.c_str(), &named) == 0 &&
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

}  // namespace vandrel
