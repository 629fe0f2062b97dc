#include "engine/network/connection_text.h"

#include "texts/texts.h"

namespace vandrel::network {

std::string NoAnswer(int seconds) {
  return Format(TrN("the server did not answer for %1 second",
                    "the server did not answer for %1 seconds", static_cast<unsigned>(seconds)),
                seconds);
}

std::string Stopped() {
  return std::string(Tr("the connection was stopped"));
}

std::string Lost(const std::string& reason) {
  return Format(Tr("the connection to the server was lost (%1)"), reason);
}

std::string CannotConnect(const std::string& hostAndPort, const std::string& reason) {
  return Format(Tr("cannot connect to %1: %2"), hostAndPort, reason);
}

std::string ConnectTimedOut(const std::string& hostAndPort, int seconds) {
  return Format(
      TrN("cannot connect to %1: no answer in %2 second",
          "cannot connect to %1: no answer in %2 seconds", static_cast<unsigned>(seconds)),
      hostAndPort, seconds);
}

std::string CannotFind(const std::string& host, const std::string& reason) {
  if (reason.empty()) return Format(Tr("cannot find the server %1"), host);
  return Format(Tr("cannot find the server %1 (%2)"), host, reason);
}

std::string CannotWait(const std::string& reason) {
  return Format(Tr("cannot wait for the server (%1)"), reason);
}

std::string NoRoom() {
  return std::string(Tr("there is no room to receive into"));
}

std::string CannotStartTls(const std::string& reason) {
  return Format(Tr("cannot start TLS (%1)"), reason);
}

std::string CannotStartTlsWith(const std::string& host, const std::string& reason) {
  return Format(Tr("cannot start TLS with %1 (%2)"), host, reason);
}

std::string CannotSendTls(const std::string& reason) {
  return Format(Tr("cannot send over TLS (%1)"), reason);
}

std::string CannotReceiveTls(const std::string& reason) {
  return Format(Tr("cannot receive over TLS (%1)"), reason);
}

std::string ClosedInsteadOfTls(const std::string& host) {
  return Format(Tr("the server %1 closed the connection instead of starting TLS"), host);
}

std::string CertificateForAnotherName(const std::string& host) {
  return Format(Tr("the server's certificate is for another name than %1"), host);
}

std::string CertificateNotTrusted(const std::string& why) {
  return Format(Tr("the server's certificate is not trusted (%1)"), why);
}

std::string CannotReadCertificateFile(const std::string& path) {
  return Format(Tr("cannot read the certificate file %1"), path);
}

std::string NoCertificateInFile(const std::string& path) {
  return Format(Tr("cannot read the certificate file %1 (no PEM certificate in it)"), path);
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
    error = Tr("there is no connection to start TLS on");
    return {};
  }
  if (name.empty() || name.find('\0') != std::string::npos) {
    error = Format(Tr("the server's name \"%1\" cannot be checked against its certificate"), name);
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
