// Wording and host forms the TCP and TLS layers of every system share.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::network {

// "the server did not answer for N seconds"
std::string NoAnswer(int seconds);
// The reason an Interrupt gives every Send and Receive after it.
inline constexpr std::string_view kStopped = "the connection was stopped";
// An IPv6 address as URLs write it, "[::1]", is "::1" to the system.
std::string WithoutBrackets(const std::string& host);
// The name a certificate is checked against: HOST without brackets. Empty, with the reason,
// when there is no connection to start TLS on or no name to check (an empty one, or one with a
// NUL, which a check would pass over).
std::string TlsName(bool connected, const std::string& host, std::string& error);
// "HOST:PORT", an IPv6 address in brackets.
std::string HostAndPort(const std::string& host, unsigned port);

}  // namespace vandrel::network
