// The byte stream the mail account destination talks over: TCP to a server, or TLS over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

// A dead server must not hold a run forever; a slow one may take its time.
inline constexpr int kConnectTimeoutSeconds = 60;
inline constexpr int kTransferTimeoutSeconds = 300;

// A byte stream to a server: TCP, or TLS over it.
class Connection {
 public:
  virtual ~Connection() = default;
  // Sends all of `bytes`; false with a plain-English reason in `error` (never the bytes).
  virtual bool Send(std::string_view bytes, std::string& error) = 0;
  // Receives up to `room` bytes into `buffer`: how many; 0 when the server closed the stream;
  // -1 on an error, its reason in `error` (a timeout too: "the server did not answer for N
  // seconds").
  virtual std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) = 0;
  // From any thread: makes a blocked Send or Receive return at once with an error, and every
  // later one too. It stops a run.
  virtual void Interrupt() = 0;
};

// How long a connection waits for the server.
struct ConnectionTimeouts {
  int connectSeconds = kConnectTimeoutSeconds;    // for each of the server's addresses
  int transferSeconds = kTransferTimeoutSeconds;  // for each wait within a Send or Receive
};

// Opens TCP to host:port, trying every address the name has (IPv4 and IPv6); HOST may be an IP
// address, an IPv6 one in brackets too. Null with the reason on failure ("cannot connect to
// HOST:PORT: Connection refused", "cannot find the server HOST").
std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       std::string& error);
std::unique_ptr<Connection> ConnectTcp(const std::string& host, std::uint16_t port,
                                       const ConnectionTimeouts& timeouts, std::string& error);

struct TlsTrust {
  // A PEM file of one more authority to trust besides the system's; empty: the system's only.
  std::string caFile;
};

// TLS over an open connection, the handshake done here: right after connecting for imaps://,
// after STARTTLS for imap://. The server's certificate must lead to an authority the system
// trusts or to the one in trust.caFile, and be for HOST (a name or an IP address); TLS 1.2 at
// least. Checking cannot be switched off. Null with the reason on failure ("the server's
// certificate is not trusted (...)", "the server's certificate is for another name than HOST",
// "cannot read the certificate file FILE").
std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                     const TlsTrust& trust, std::string& error);

}  // namespace vandrel
