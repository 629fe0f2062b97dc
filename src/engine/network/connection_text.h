// Wording and host forms the TCP and TLS layers of every system share.
#pragma once

#include <string>

namespace vandrel::network {

// "the server did not answer for N seconds"
std::string NoAnswer(int seconds);
// The reason an Interrupt gives every Send and Receive after it.
std::string Stopped();
// "the connection to the server was lost (REASON)"
std::string Lost(const std::string& reason);
// "cannot connect to HOST:PORT: REASON", "... no answer in N seconds" when it timed out.
std::string CannotConnect(const std::string& hostAndPort, const std::string& reason);
std::string ConnectTimedOut(const std::string& hostAndPort, int seconds);
// "cannot find the server HOST", with the system's reason when it gives one.
std::string CannotFind(const std::string& host, const std::string& reason = {});
// "cannot wait for the server (REASON)"
std::string CannotWait(const std::string& reason);
// A Receive given no room, which only a caller's mistake does.
std::string NoRoom();
// What both TLS layers say, each with its library's reason where one is given.
// "cannot start TLS (REASON)", "cannot start TLS with HOST (REASON)"
std::string CannotStartTls(const std::string& reason);
std::string CannotStartTlsWith(const std::string& host, const std::string& reason);
// "cannot send over TLS (REASON)", "cannot receive over TLS (REASON)"
std::string CannotSendTls(const std::string& reason);
std::string CannotReceiveTls(const std::string& reason);
// The server hung up where its TLS handshake should have been.
std::string ClosedInsteadOfTls(const std::string& host);
// "the server's certificate is for another name than HOST"
std::string CertificateForAnotherName(const std::string& host);
// "the server's certificate is not trusted (WHY)"
std::string CertificateNotTrusted(const std::string& why);
// A --ca-file that cannot be read, or that holds no PEM certificate.
std::string CannotReadCertificateFile(const std::string& path);
std::string NoCertificateInFile(const std::string& path);
// An IPv6 address as URLs write it, "[::1]", is "::1" to the system.
std::string WithoutBrackets(const std::string& host);
// The name a certificate is checked against: HOST without brackets. Empty, with the reason,
// when there is no connection to start TLS on or no name to check (an empty one, or one with a
// NUL, which a check would pass over).
std::string TlsName(bool connected, const std::string& host, std::string& error);
// "HOST:PORT", an IPv6 address in brackets.
std::string HostAndPort(const std::string& host, unsigned port);

}  // namespace vandrel::network
