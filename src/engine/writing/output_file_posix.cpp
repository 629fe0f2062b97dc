#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/writing/output_file.h"
#include "engine/writing/temporary_name.h"

namespace vandrel {

namespace {

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? std::string(".") : folder;
}

// Made durable: the rename itself survives a power loss.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

// Made with mode 0666 less the umask, as any new file; O_EXCL never opens someone else's file.
bool OutputFile::CreateTemporary(const std::string& temporaryPrefix) {
  const std::string folder = FolderOf(path_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + "/" + TemporaryName(temporaryPrefix);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      temporaryPath_ = name;
      return true;
    }
    if (errno != EEXIST) return Fail();
  }
  return Fail();
}

bool OutputFile::WriteBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A file that replaces an earlier one keeps that one's mode.
bool OutputFile::SyncAndClose(bool sync) {
  const int fd = static_cast<int>(handle_);
  struct stat earlier {};
  if (::lstat(path_.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
    ::fchmod(fd, earlier.st_mode & 07777);
  }
  const bool synced = !sync || ::fsync(fd) == 0;
  const int syncError = errno;
  const bool closed = ::close(fd) == 0;
  handle_ = -1;
  if (!synced) errno = syncError;
  return synced && closed ? true : Fail();
}

bool OutputFile::RenameIntoPlace(bool syncFolder) {
  if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) return Fail();
  if (syncFolder) SyncFolder(FolderOf(path_));
  return true;
}

void OutputFile::CloseAndRemove() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
  handle_ = -1;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

bool OutputFile::Fail() {
  cause_ = FileErrorCauseFromErrno(errno != 0 ? errno : EIO, path_);
  return false;
}

}  // namespace vandrel
