// TCP on Windows: a socket whose readiness sets an event (WSAEventSelect), waited on beside an
// event of Interrupt's, so that another thread can end any wait at once.
// Winsock before the rest of Windows.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "engine/network/connection.h"
#include "engine/network/connection_text.h"
#include "engine/network/winsock_text_win32.h"
#include "platform/utf16_win32.h"
#include "texts/texts.h"

namespace vandrel {

namespace network {

std::optional<std::string> WinsockWords(int code) {
  // The words other systems use, for the failures a user meets most.
  switch (code) {
    case WSAECONNREFUSED:
      return std::string(Tr("Connection refused"));
    case WSAETIMEDOUT:
      return std::string(Tr("Connection timed out"));
    case WSAEHOSTUNREACH:
      return std::string(Tr("No route to host"));
    case WSAENETUNREACH:
      return std::string(Tr("Network is unreachable"));
    case WSAECONNRESET:
      return std::string(Tr("Connection reset by peer"));
    case WSAECONNABORTED:
      return std::string(Tr("Software caused connection abort"));
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) {
    ::LocalFree(text);
    return std::nullopt;
  }
  std::string result = platform::Narrow(std::wstring_view(text, length));
  ::LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                             result.back() == ' ' || result.back() == '.')) {
    result.pop_back();
  }
  return result;
}

std::string WinsockText(int code) {
  if (std::optional<std::string> words = WinsockWords(code)) return *std::move(words);
  return Format(Tr("error %1"), code);
}

}  // namespace network

namespace {

// Writes larger than this are made in turns.
constexpr int kMostPerCall = 1 << 20;

bool StartWinsock(std::string& error) {
  // Started once for the program's life; Windows ends it with the process.
  static const int started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (started != 0) {
    error = Format(Tr("cannot use the network (%1)"), network::WinsockText(started));
    return false;
  }
  return true;
}

enum class Wait { kReady, kStopped, kTimedOut, kFailed };
// Waits until `ready` or `stop` (when there is one) is set, or `seconds` pass.
Wait WaitFor(HANDLE ready, HANDLE stop, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  const HANDLE handles[2] = {ready, stop};
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Wait::kTimedOut;
    const DWORD waited =
        ::WaitForMultipleObjects(stop != nullptr ? 2 : 1, handles, FALSE,
                                 static_cast<DWORD>(std::min<long long>(left.count(), 0x7fffffff)));
    if (waited == WAIT_OBJECT_0) return Wait::kReady;
    if (stop != nullptr && waited == WAIT_OBJECT_0 + 1) return Wait::kStopped;
    if (waited != WAIT_TIMEOUT) return Wait::kFailed;
  }
}

class TcpConnection final : public Connection {
 public:
  TcpConnection(SOCKET socket, WSAEVENT ready, HANDLE stop, int transferSeconds)
      : socket_(socket), ready_(ready), stop_(stop), transferSeconds_(transferSeconds) {}
  ~TcpConnection() override {
    ::closesocket(socket_);
    ::WSACloseEvent(ready_);
    ::CloseHandle(stop_);
  }
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  bool Send(std::string_view bytes, std::string& error) override {
    while (!bytes.empty()) {
      if (stopped_.load()) {
        error = network::Stopped();
        return false;
      }
      const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), kMostPerCall));
      const int sent = ::send(socket_, bytes.data(), size, 0);
      if (sent != SOCKET_ERROR) {
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        continue;
      }
      const int failure = ::WSAGetLastError();
      if (failure != WSAEWOULDBLOCK) {
        error = network::Lost(network::WinsockText(failure));
        return false;
      }
      if (!Await(error)) return false;
    }
    return true;
  }

  std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) override {
    if (room == 0) {
      error = network::NoRoom();
      return -1;
    }
    const int most = static_cast<int>(std::min<std::size_t>(room, kMostPerCall));
    for (;;) {
      if (stopped_.load()) {
        error = network::Stopped();
        return -1;
      }
      const int got = ::recv(socket_, buffer, most, 0);
      if (got != SOCKET_ERROR) return got;
      const int failure = ::WSAGetLastError();
      if (failure != WSAEWOULDBLOCK) {
        error = network::Lost(network::WinsockText(failure));
        return -1;
      }
      if (!Await(error)) return -1;
    }
  }

  void Interrupt() override {
    stopped_.store(true);
    ::SetEvent(stop_);  // stays set, which ends every later wait too
  }

 private:
  // Waits for the socket to change. A send or recv that would block has asked Windows to set
  // `ready_` again when that changes, so clearing it here loses nothing.
  bool Await(std::string& error) {
    switch (WaitFor(ready_, stop_, transferSeconds_)) {
      case Wait::kReady:
        ::WSAResetEvent(ready_);
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
    error = network::CannotWait(network::WinsockText(static_cast<int>(::GetLastError())));
    return false;
  }

  const SOCKET socket_;
  const WSAEVENT ready_;
  const HANDLE stop_;
  const int transferSeconds_;
  std::atomic<bool> stopped_{false};
};

// A connected socket to one address with its event, or INVALID_SOCKET with the reason in
// `failure` (WSAETIMEDOUT when the address did not answer in time).
SOCKET ConnectTo(const ADDRINFOW& address, int seconds, WSAEVENT& ready, int& failure) {
  const SOCKET connected =
      ::WSASocketW(address.ai_family, address.ai_socktype, address.ai_protocol, nullptr, 0,
                   WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (connected == INVALID_SOCKET) {
    failure = ::WSAGetLastError();
    return INVALID_SOCKET;
  }
  ready = ::WSACreateEvent();
  // This also makes the socket non-blocking.
  if (ready == WSA_INVALID_EVENT ||
      ::WSAEventSelect(connected, ready, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) {
    failure = ::WSAGetLastError();
  } else if (::connect(connected, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
    return connected;
  } else if ((failure = ::WSAGetLastError()) == WSAEWOULDBLOCK) {
    failure = WSAETIMEDOUT;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      const auto left =
          std::chrono::ceil<std::chrono::seconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 ||
          WaitFor(ready, nullptr, static_cast<int>(left.count())) != Wait::kReady) {
        break;
      }
      WSANETWORKEVENTS events{};
      if (::WSAEnumNetworkEvents(connected, ready, &events) != 0) {
        failure = ::WSAGetLastError();
        break;
      }
      if ((events.lNetworkEvents & FD_CONNECT) != 0) {
        failure = events.iErrorCode[FD_CONNECT_BIT];
        if (failure == 0) {
          // FD_WRITE came with FD_CONNECT and was taken with it: the event must show it again.
          ::WSASetEvent(ready);
          return connected;
        }
        break;
      }
    }
  }
  ::closesocket(connected);
  if (ready != WSA_INVALID_EVENT) ::WSACloseEvent(ready);
  ready = WSA_INVALID_EVENT;
  return INVALID_SOCKET;
}

}  // namespace

std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       std::string& error) {
  return ConnectTcp(host, port, ConnectionTimeouts{}, error);
}

std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       const ConnectionTimeouts& timeouts, std::string& error) {
  if (!StartWinsock(error)) return nullptr;
  const std::string name = network::WithoutBrackets(host);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* found = nullptr;
  const int resolved =
      ::GetAddrInfoW(platform::Widen(name).c_str(), std::to_wstring(port).c_str(), &hints, &found);
  if (resolved != 0) {
    if (resolved == WSAHOST_NOT_FOUND || resolved == WSANO_DATA || resolved == WSATRY_AGAIN ||
        resolved == WSANO_RECOVERY) {
      error = network::CannotFind(name);
    } else {
      error = network::CannotFind(name, network::WinsockText(resolved));
    }
    return nullptr;
  }
  std::unique_ptr<ADDRINFOW, decltype(&::FreeAddrInfoW)> addresses(found, &::FreeAddrInfoW);

  int failure = WSAEHOSTUNREACH;  // stays so for a name without addresses
  for (const ADDRINFOW* address = found; address != nullptr; address = address->ai_next) {
    WSAEVENT ready = WSA_INVALID_EVENT;
    const SOCKET connected = ConnectTo(*address, timeouts.connectSeconds, ready, failure);
    if (connected == INVALID_SOCKET) continue;
    const HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop == nullptr) {
      failure = static_cast<int>(::GetLastError());
      ::closesocket(connected);
      ::WSACloseEvent(ready);
      break;
    }
    return std::make_unique<TcpConnection>(connected, ready, stop, timeouts.transferSeconds);
  }
  const std::string where = network::HostAndPort(name, port);
  error = failure == WSAETIMEDOUT ? network::ConnectTimedOut(where, timeouts.connectSeconds)
                                  : network::CannotConnect(where, network::WinsockText(failure));
  return nullptr;
}

}  // namespace vandrel
