// An exclusive advisory lock on a lock file, held for as long as the object lives. The system
// drops it when the process ends, however it ends, so a crashed writer never blocks the next one.
#pragma once

#include <filesystem>
#include <optional>

namespace vandrel {

class FileLock {
 public:
  // Creates the lock file when needed and waits until the lock is held; empty on failure.
  static std::optional<FileLock> Acquire(const std::filesystem::path& lockFile);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}

  int fd_ = -1;
};

}  // namespace vandrel
