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

std::string HostAndPort(const std::string& host, unsigned port) {
  const std::string bare = WithoutBrackets(host);
  const std::string shown = bare.find(':') != std::string::npos ? "[" + bare + "]" : bare;
  return shown + ":" + std::to_string(port);
}

}  // namespace vandrel::network
