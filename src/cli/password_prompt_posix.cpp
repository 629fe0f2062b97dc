#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <csignal>

#include "cli/password_prompt.h"

namespace vandrel::cli {
namespace {

// The signals that would end the program with echo still off.
constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t caught = 0;

extern "C" void Catch(int signal) {
  caught = signal;
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The controlling terminal, else standard input when that is one.
struct Terminal {
  int in = -1;
  int out = -1;
  bool owned = false;
};

std::optional<Terminal> OpenTerminal() {
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty >= 0) return Terminal{tty, tty, true};
  if (::isatty(STDIN_FILENO)) return Terminal{STDIN_FILENO, STDERR_FILENO, false};
  return std::nullopt;
}

// Reads up to the line's end; false when the input ended first or a signal came.
// The ending signals are blocked but while waiting, so none slips in between the check and
// the wait.
bool ReadLine(int fd, const sigset_t& waitMask, std::string& line) {
  for (;;) {
    if (caught != 0) return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    const int ready = ::pselect(fd + 1, &readable, nullptr, nullptr, nullptr, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    char chunk[256];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return false;
    for (ssize_t i = 0; i < got; ++i) {
      if (chunk[i] == '\n') return true;
      line += chunk[i];
    }
  }
}

}  // namespace

std::optional<std::string> ReadPasswordWithoutEcho(std::string_view prompt) {
  const std::optional<Terminal> terminal = OpenTerminal();
  if (!terminal) return std::nullopt;
  termios saved{};
  if (terminal->in >= FD_SETSIZE || ::tcgetattr(terminal->in, &saved) != 0) {
    if (terminal->owned) ::close(terminal->in);
    return std::nullopt;
  }

  sigset_t ending;
  sigemptyset(&ending);
  for (const int signal : kEndingSignals)
    sigaddset(&ending, signal);
  sigset_t previousMask;
  pthread_sigmask(SIG_BLOCK, &ending, &previousMask);
  sigset_t waitMask = previousMask;
  for (const int signal : kEndingSignals)
    sigdelset(&waitMask, signal);
  caught = 0;
  struct sigaction catching {};
  catching.sa_handler = Catch;
  sigemptyset(&catching.sa_mask);
  std::array<struct sigaction, kEndingSignals.size()> previous{};
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i)
    ::sigaction(kEndingSignals[i], &catching, &previous[i]);

  // Echo goes off before the prompt shows, so nothing typed after it is ever shown.
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
  quiet.c_lflag |= ICANON;
  std::string line;
  bool complete = false;
  if (::tcsetattr(terminal->in, TCSANOW, &quiet) == 0) {
    WriteAll(terminal->out, prompt);
    complete = ReadLine(terminal->in, waitMask, line);
    ::tcsetattr(terminal->in, TCSANOW, &saved);
    WriteAll(terminal->out, "\n");  // for the line end that was not shown
  }

  // A signal that came after all is taken by what had it before, once the terminal is back.
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i)
    ::sigaction(kEndingSignals[i], &previous[i], nullptr);
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  if (terminal->owned) ::close(terminal->in);
  if (caught != 0) {
    ::raise(caught);
    return std::nullopt;
  }
  if (!complete) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace vandrel::cli
