// A byte stream to a server: TCP, or TLS over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

class Connection {
 public:
  virtual ~Connection() = default;
  // Sends all of `bytes`; false with the reason in `error`.
  virtual bool Send(std::string_view bytes, std::string& error) = 0;
  // Receives up to `room` bytes into `buffer`: how many; 0 when the server closed the stream;
  // -1 on an error, with the reason in `error`.
  virtual std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) = 0;
  // From any thread: makes a blocked Send or Receive return at once with an error, and every
  // later one too.
  virtual void Interrupt() = 0;
};

std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       std::string& error);

struct TlsTrust {
  std::string caFile;  // one more authority trusted besides the system's
};

std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                     const TlsTrust& trust, std::string& error);

}  // namespace vandrel
