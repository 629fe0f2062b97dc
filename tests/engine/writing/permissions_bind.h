// A child process that file permissions bind: as "nobody" when the tests run as root, whom they
// do not bind, and as the same user otherwise. For checks that read-only folders are found.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace vandrel::test {

inline constexpr uid_t kNobody = 65534;

// What `look` returned in the child; it must not use the test's assertions.
inline std::string WherePermissionsBind(const std::function<std::string()>& look) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                              ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
    const std::string result = dropped ? look() : "could not become nobody";
    for (std::size_t done = 0; done < result.size();) {
      const ssize_t written = ::write(pipeEnds[1], result.data() + done, result.size() - done);
      if (written <= 0) break;
      done += static_cast<std::size_t>(written);
    }
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    result.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "the child failed";
}

}  // namespace vandrel::test
