#include "ui/account_fields.h"

#include <charconv>
#include <optional>

namespace vandrel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Pasted names often bring a space or a line end along.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (IsControl(c)) return true;
  }
  return false;
}

std::optional<std::uint16_t> PortNumber(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

// An IPv6 address as typed, with or without its brackets: hexadecimal digits, colons, and the
// dots of an IPv4 tail.
bool LooksLikeIpv6(std::string_view host) {
  int colons = 0;
  for (const char c : host) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (c == ':') ++colons;
    if (!hex && c != ':' && c != '.') return false;
  }
  return colons >= 2;
}

AccountCheck Problem(AccountField field, std::string_view problem) {
  return {{}, field, std::string(problem)};
}

}  // namespace

AccountFields FieldsOfAddress(std::string_view address) {
  std::string ignored;
  const std::optional<ImapAccount> account = ParseImapAddress(address, ignored);
  if (!account) return {};
  return {account->host, std::to_string(account->port), account->user, account->security,
          account->top};
}

std::string PortAfterSecurityChange(std::string_view port, ImapSecurity from, ImapSecurity to) {
  const std::string_view typed = Trimmed(port);
  if (typed.empty() || PortNumber(typed) == DefaultImapPort(from))
    return std::to_string(DefaultImapPort(to));
  return std::string(port);
}

AccountCheck CheckAccount(const AccountFields& fields, std::string_view password,
                          bool passwordNeeded) {
  std::string_view server = Trimmed(fields.server);
  if (server.size() > 2 && server.front() == '[' && server.back() == ']') {
    server = server.substr(1, server.size() - 2);
  }
  if (server.empty()) return Problem(AccountField::kServer, Tr("Name the server."));
  for (const char c : server) {
    if (IsSpace(c) || IsControl(c) || c == '/' || c == '\\' || c == '@' || c == '[' || c == ']') {
      return Problem(AccountField::kServer,
                     Tr("The server's name cannot hold spaces, \"/\", \"\\\", \"@\" or brackets."));
    }
  }
  if (server.find(':') != std::string_view::npos && !LooksLikeIpv6(server)) {
    return Problem(AccountField::kServer,
                   Tr("Give the port in its own field, not after the server's name."));
  }
  const std::optional<std::uint16_t> port = PortNumber(Trimmed(fields.port));
  if (!port) return Problem(AccountField::kPort, Tr("The port is a number from 1 to 65535."));
  const std::string_view user = Trimmed(fields.user);
  if (user.empty()) return Problem(AccountField::kUser, Tr("Name the user."));
  if (HasControl(user)) {
    return Problem(AccountField::kUser, Tr("The user name cannot hold control characters."));
  }
  if (passwordNeeded && password.empty()) {
    return Problem(AccountField::kPassword, Tr("Type the password."));
  }

  ImapAccount account;
  account.security = fields.security;
  account.host = std::string(server);
  account.port = *port;
  account.user = std::string(user);
  if (!fields.top.empty()) account.top = fields.top;
  std::string address = ImapAddress(account);
  // What is run and remembered is the address, so it must name this very account.
  std::string problem;
  if (ParseImapAddress(address, problem) != account) {
    return Problem(AccountField::kServer, Tr("This server's name cannot be used."));
  }
  return {std::move(address), AccountField::kNone, {}};
}

}  // namespace vandrel
