// Thunderbird's locks on Linux: an fcntl lock on .parentlock, and the older "lock" link.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "engine/destinations/thunderbird/thunderbird_profile.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST(ThunderbirdProfileTest, AProfileIsInUseWhileAnotherProcessLocksIt) {
  TempFolder profile;
  const std::string lockFile = profile.WriteFile(".parentlock", "");
  EXPECT_FALSE(IsProfileInUse(profile.Path().string()));

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(lockFile.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ::fcntl(fd, F_SETLK, &lock);
    char byte = 1;
    (void)::write(ready[1], &byte, 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_TRUE(IsProfileInUse(profile.Path().string()));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_FALSE(IsProfileInUse(profile.Path().string()));

  // The older lock: a link naming a living process, or a dead one after a crash.
  fs::create_symlink("127.0.0.1:+" + std::to_string(::getpid()), profile.Path() / "lock");
  EXPECT_TRUE(IsProfileInUse(profile.Path().string()));
  fs::remove(profile.Path() / "lock");
  fs::create_symlink("127.0.0.1:+" + std::to_string(child), profile.Path() / "lock");
  EXPECT_FALSE(IsProfileInUse(profile.Path().string()));
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
}  // namespace vandrel
