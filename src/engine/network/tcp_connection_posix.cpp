// TCP on POSIX systems: a non-blocking socket waited on with poll(), beside a pipe that
// Interrupt writes to, so that another thread can end any wait at once.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <system_error>

#include "engine/network/connection.h"
#include "engine/network/connection_text.h"

namespace vandrel {
namespace {

// Writes larger than this are made in turns, so one call never asks the kernel for megabytes.
constexpr std::size_t kMostPerCall = 1 << 20;

std::string SystemText(int code) {
  return std::system_category().message(code);
}

// Waits until `fd` is ready for `events`, `stopFd` becomes readable, or `seconds` pass.
enum class Wait { kReady, kStopped, kTimedOut, kFailed };
Wait WaitFor(int fd, short events, int stopFd, int seconds, int& failure) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Wait::kTimedOut;
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const int n = ::poll(fds, stopFd >= 0 ? 2 : 1,
                         static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (n < 0) {
      if (errno == EINTR) continue;
      failure = errno;
      return Wait::kFailed;
    }
    if (n == 0) continue;  // the deadline is checked above
    if (stopFd >= 0 && fds[1].revents != 0) return Wait::kStopped;
    // An error or hang-up shows in the next send or recv, with its reason.
    if (fds[0].revents != 0) return Wait::kReady;
  }
}

class TcpConnection final : public Connection {
 public:
  TcpConnection(int fd, int stopRead, int stopWrite, int transferSeconds)
      : fd_(fd), stopRead_(stopRead), stopWrite_(stopWrite), transferSeconds_(transferSeconds) {}
  ~TcpConnection() override {
    ::close(fd_);
    ::close(stopRead_);
    ::close(stopWrite_);
  }
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  bool Send(std::string_view bytes, std::string& error) override {
    while (!bytes.empty()) {
      if (stopped_.load()) {
        error = network::Stopped();
        return false;
      }
      // MSG_NOSIGNAL: a server gone away is an error here, not a SIGPIPE ending the program.
      const ssize_t sent =
          ::send(fd_, bytes.data(), std::min(bytes.size(), kMostPerCall), MSG_NOSIGNAL);
      if (sent >= 0) {
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        error = network::Lost(SystemText(errno));
        return false;
      }
      if (!Await(POLLOUT, error)) return false;
    }
    return true;
  }

  std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) override {
    if (room == 0) {
      error = network::NoRoom();
      return -1;
    }
    for (;;) {
      if (stopped_.load()) {
        error = network::Stopped();
        return -1;
      }
      const ssize_t got = ::recv(fd_, buffer, std::min(room, kMostPerCall), 0);
      if (got >= 0) return got;
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        error = network::Lost(SystemText(errno));
        return -1;
      }
      if (!Await(POLLIN, error)) return -1;
    }
  }

  void Interrupt() override {
    stopped_.store(true);
    // The pipe stays readable, which ends every later wait too. It cannot be full: this is the
    // only writer, and a failed write leaves `stopped_` to be seen.
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(stopWrite_, &byte, 1);
  }

 private:
  bool Await(short events, std::string& error) {
    int failure = 0;
    switch (WaitFor(fd_, events, stopRead_, transferSeconds_, failure)) {
      case Wait::kReady:
        return true;
      case Wait::kStopped:
        error = network::Stopped();
        return false;
      case Wait::kTimedOut:
        error = network::NoAnswer(transferSeconds_);
        return false;
      case Wait::kFailed:
        break;
    }
    error = network::CannotWait(SystemText(failure));
    return false;
  }

  const int fd_;
  const int stopRead_;
  const int stopWrite_;
  const int transferSeconds_;
  std::atomic<bool> stopped_{false};
};

// A connected socket to one address, or -1 with errno's reason in `failure` (ETIMEDOUT when
// the address did not answer in time).
int ConnectTo(const addrinfo& address, int seconds, int& failure) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
  if (fd < 0) {
    failure = errno;
    return -1;
  }
  int result = ::connect(fd, address.ai_addr, address.ai_addrlen);
  if (result != 0 && (errno == EINPROGRESS || errno == EINTR)) {
    int waitFailure = 0;
    switch (WaitFor(fd, POLLOUT, -1, seconds, waitFailure)) {
      case Wait::kReady: {
        int soError = 0;
        socklen_t length = sizeof soError;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) soError = errno;
        failure = soError;
        result = soError == 0 ? 0 : -1;
        break;
      }
      case Wait::kTimedOut:
        failure = ETIMEDOUT;
        break;
      case Wait::kStopped:
      case Wait::kFailed:
        failure = waitFailure;
        break;
    }
  } else if (result != 0) {
    failure = errno;
  }
  if (result != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       std::string& error) {
  return ConnectTcp(host, port, ConnectionTimeouts{}, error);
}

std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       const ConnectionTimeouts& timeouts, std::string& error) {
  const std::string name = network::WithoutBrackets(host);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const int resolved = ::getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) {
    if (resolved == EAI_NONAME || resolved == EAI_AGAIN || resolved == EAI_FAIL
#ifdef EAI_NODATA
        || resolved == EAI_NODATA
#endif
    ) {
      error = network::CannotFind(name);
    } else {
      const int code = resolved == EAI_SYSTEM ? errno : 0;
      error = network::CannotFind(
          name, code != 0 ? SystemText(code) : std::string(::gai_strerror(resolved)));
    }
    return nullptr;
  }
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

  int failure = 0;
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    const int fd = ConnectTo(*address, timeouts.connectSeconds, failure);
    if (fd < 0) continue;
    int stop[2];
    if (::pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0) {
      failure = errno;
      ::close(fd);
      error = network::CannotConnect(network::HostAndPort(name, port), SystemText(failure));
      return nullptr;
    }
    return std::make_unique<TcpConnection>(fd, stop[0], stop[1], timeouts.transferSeconds);
  }
  if (failure == 0) failure = EHOSTUNREACH;  // a name without addresses
  const std::string where = network::HostAndPort(name, port);
  error = failure == ETIMEDOUT ? network::ConnectTimedOut(where, timeouts.connectSeconds)
                               : network::CannotConnect(where, SystemText(failure));
  return nullptr;
}

}  // namespace vandrel
