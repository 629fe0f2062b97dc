#include "engine/network/connection_text.h"

namespace vandrel::network {

std::string NoAnswer(int seconds) {
  return "the server did not answer for " + std::to_string(seconds) +
         (seconds == 1 ? " second" : " seconds");
}

std::string WithoutBrackets(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

std::string TlsName(bool connected, const std::string& host, std::string& error) {
  const std::string name = WithoutBrackets(host);
  if (!connected) {
    error = "there is no connection to start TLS on";
    return {};
  }
  if (name.empty() || name.find('\0') != std::string::npos) {
    error = "the server's name \"" + name + "\" cannot be checked against its certificate";
    return {};
  }
  return name;
}

std::string HostAndPort(const std::string& host, unsigned port) {
  const std::string bare = WithoutBrackets(host);
  const std::string shown = bare.find(':') != std::string::npos ? "[" + bare + "]" : bare;
  return shown + ":" + std::to_string(port);
}

}  // namespace vandrel::network
