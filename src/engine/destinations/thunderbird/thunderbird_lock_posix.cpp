#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "engine/destinations/thunderbird/thunderbird_profile.h"

namespace vandrel {

namespace {

// Thunderbird holds an fcntl lock on .parentlock while it runs.
bool ParentLockHeld(const std::string& profile) {
  const int fd =
      ::open((std::filesystem::path(profile) / ".parentlock").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

// The older lock: a symbolic link "lock" to "address:+pid" of the running process.
bool LockLinkAlive(const std::string& profile) {
  std::error_code error;
  const auto target = std::filesystem::read_symlink(std::filesystem::path(profile) / "lock", error);
  if (error) return false;
  const std::string text = target.string();
  const std::size_t plus = text.rfind('+');
  if (plus == std::string::npos) return false;
  const long pid = std::strtol(text.c_str() + plus + 1, nullptr, 10);
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

bool IsProfileInUse(const std::string& profile) {
  return ParentLockHeld(profile) || LockLinkAlive(profile);
}

}  // namespace vandrel
