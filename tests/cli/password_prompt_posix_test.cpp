// The password prompt on a pseudo-terminal, as a user at a terminal meets it: what the terminal
// shows, what the program gets, and the terminal's mode afterwards.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cli/password_prompt.h"

namespace vandrel::cli {
namespace {

constexpr char kPrompt[] = "Password for ann@mail.example.org: ";
// Only a hang reaches this.
constexpr int kHangMs = 60000;

struct PromptRun {
  std::string shown;                   // what the terminal displayed
  std::optional<std::string> entered;  // what the call returned
  int status = 0;                      // of the process that asked
  tcflag_t modeBefore = 0;
  tcflag_t modeAfter = 0;
};

// Reads what the terminal shows until `wanted` is among it; false on a hang or an error.
bool ReadUntil(int master, std::string& shown, std::string_view wanted) {
  while (shown.find(wanted) == std::string::npos) {
    pollfd ready{master, POLLIN, 0};
    if (::poll(&ready, 1, kHangMs) <= 0) return false;
    char chunk[256];
    const ssize_t got = ::read(master, chunk, sizeof chunk);
    if (got <= 0) return false;
    shown.append(chunk, static_cast<std::size_t>(got));
  }
  return true;
}

// What is left to read, without waiting.
void ReadRest(int master, std::string& shown) {
  for (;;) {
    pollfd ready{master, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) return;
    char chunk[256];
    const ssize_t got = ::read(master, chunk, sizeof chunk);
    if (got <= 0) return;
    shown.append(chunk, static_cast<std::size_t>(got));
  }
}

// In a child process whose controlling terminal is a new pseudo-terminal: asks, and once the
// prompt shows, the user types `typed`.
PromptRun AskOnATerminal(std::string_view typed) {
  PromptRun run;
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  EXPECT_GE(master, 0);
  EXPECT_EQ(::grantpt(master), 0);
  EXPECT_EQ(::unlockpt(master), 0);
  const std::string slaveName = ::ptsname(master);
  // Held here too, to read the terminal's mode once the child is gone.
  const int slave = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
  EXPECT_GE(slave, 0);
  termios mode{};
  ::tcgetattr(slave, &mode);
  run.modeBefore = mode.c_lflag;
  int result[2];
  EXPECT_EQ(::pipe(result), 0);

  const pid_t child = ::fork();
  if (child == 0) {
    ::close(master);
    ::close(result[0]);
    ::setsid();
    const int tty = ::open(slaveName.c_str(), O_RDWR);
    ::ioctl(tty, TIOCSCTTY, 0);
    for (int fd = 0; fd < 3; ++fd)
      ::dup2(tty, fd);
    const std::optional<std::string> entered = ReadPasswordWithoutEcho(kPrompt);
    const std::string answer = entered ? "+" + *entered : "-";
    [[maybe_unused]] const ssize_t written = ::write(result[1], answer.data(), answer.size());
    ::_exit(0);
  }
  ::close(result[1]);
  EXPECT_TRUE(ReadUntil(master, run.shown, kPrompt)) << run.shown;
  EXPECT_EQ(::write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  EXPECT_EQ(::waitpid(child, &run.status, 0), child);
  ReadRest(master, run.shown);
  std::string answer;
  char chunk[256];
  for (ssize_t got; (got = ::read(result[0], chunk, sizeof chunk)) > 0;)
    answer.append(chunk, static_cast<std::size_t>(got));
  if (!answer.empty() && answer[0] == '+') run.entered = answer.substr(1);
  ::tcgetattr(slave, &mode);
  run.modeAfter = mode.c_lflag;
  ::close(result[0]);
  ::close(slave);
  ::close(master);
  return run;
}

TEST(PasswordPromptTest, ReadsALineWithoutShowingItAndSetsTheTerminalBack) {
  const struct {
    const char* what;
    std::string typed;
    std::optional<std::string> entered;
    int signal;  // that ended the asking process; 0: it ended by itself
  } cases[] = {
      {"a password", "s3cret pass\xC3\xA9\n", "s3cret pass\xC3\xA9", 0},
      {"Enter as a carriage return", "s3cret\r", "s3cret", 0},
      {"typing corrected", "s3cx\x7fret\n", "s3cret", 0},
      {"an empty line", "\n", "", 0},
      {"the input ends", "\x04", std::nullopt, 0},
      {"Ctrl-C while typing", "s3cret\x03", std::nullopt, SIGINT},
  };
  for (const auto& c : cases) {
    const PromptRun run = AskOnATerminal(c.typed);
    EXPECT_EQ(run.entered, c.entered) << c.what;
    EXPECT_EQ(run.shown, std::string(kPrompt) + "\r\n") << c.what;
    EXPECT_EQ(run.shown.find("s3c"), std::string::npos) << c.what;
    EXPECT_TRUE(run.modeBefore & ECHO) << c.what;
    EXPECT_EQ(run.modeAfter, run.modeBefore) << c.what;
    if (c.signal == 0) {
      EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << c.what;
    } else {
      EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == c.signal) << c.what;
    }
  }
}

TEST(PasswordPromptTest, WithoutATerminalNothingIsAsked) {
  int output[2];
  ASSERT_EQ(::pipe(output), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();  // no controlling terminal
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, 0);
    ::dup2(output[1], 2);
    ::_exit(ReadPasswordWithoutEcho(kPrompt).has_value() ? 1 : 0);
  }
  ::close(output[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  char chunk[256];
  EXPECT_EQ(::read(output[0], chunk, sizeof chunk), 0) << "a prompt nobody sees";
  ::close(output[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace vandrel::cli
