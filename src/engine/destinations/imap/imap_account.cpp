#include "engine/destinations/imap/imap_account.h"
#include "texts/texts.h"

#include <charconv>

namespace vandrel {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '@' || c == '+' || c == '!' || c == '$' ||
         c == '\'' || c == '(' || c == ')' || c == '*' || c == ',' || c == ';' || c == '=' ||
         c >= 0x80;
}

std::string PercentEncoded(std::string_view text, bool keepAt) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte) && (keepAt || c != '@') && byte >= 0x21) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  }
  return false;
}

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT".
bool ParseHostAndPort(std::string_view text, ImapAccount& account, std::string& problem) {
  std::string_view host = text;
  std::string_view port;
  bool portNamed = false;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
      problem = Tr("the server's address has \"[\" without \"]\"");
      return false;
    }
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') {
        problem = Tr("the server's address has something after \"]\" that is not a port");
        return false;
      }
      port = rest.substr(1);
      portNamed = true;
    }
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    portNamed = true;
  }
  if (host.empty() || HasControl(host) || host.find_first_of(" /\\@") != std::string_view::npos) {
    problem = Tr("the address names no server");
    return false;
  }
  account.host = std::string(host);
  if (!portNamed) return true;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
    problem = Tr("the port is not a number from 1 to 65535");
    return false;
  }
  account.port = static_cast<std::uint16_t>(value);
  return true;
}

bool ParseTop(std::string_view path, ImapAccount& account, std::string& problem) {
  std::vector<std::string> top;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::optional<std::string> segment = PercentDecoded(path.substr(start, end - start));
    if (!segment) {
      problem = Tr("the top folder has a \"%\" that is not followed by two hexadecimal digits");
      return false;
    }
    if (HasControl(*segment)) {
      problem = Tr("the top folder holds a control character");
      return false;
    }
    if (!segment->empty()) top.push_back(*segment);
    start = end + 1;
  }
  if (!top.empty()) account.top = std::move(top);
  return true;
}

}  // namespace

std::uint16_t DefaultImapPort(ImapSecurity security) {
  return security == ImapSecurity::kTls ? 993 : 143;
}

std::optional<ImapAccount> ParseImapAddress(std::string_view address, std::string& problem) {
  ImapAccount account;
  std::string_view rest;
  if (address.starts_with("imaps://")) {
    account.security = ImapSecurity::kTls;
    rest = address.substr(8);
  } else if (address.starts_with("imap://")) {
    account.security = ImapSecurity::kStartTls;
    rest = address.substr(7);
  } else {
    problem = Tr("a mail account is named as imaps://USER@HOST[:PORT][/TOP] or imap://...");
    return std::nullopt;
  }
  account.port = DefaultImapPort(account.security);
  const std::size_t slash = rest.find('/');
  const std::string_view authority = rest.substr(0, slash);
  const std::size_t at = authority.rfind('@');
  if (at == std::string_view::npos || at == 0) {
    problem = Tr("the address names no user (imaps://USER@HOST)");
    return std::nullopt;
  }
  const std::string_view userText = authority.substr(0, at);
  if (userText.find(':') != std::string_view::npos) {
    problem = Tr("a password does not belong in the address; it is asked for instead");
    return std::nullopt;
  }
  const std::optional<std::string> user = PercentDecoded(userText);
  if (!user || user->empty() || HasControl(*user)) {
    problem =
        Tr("the user name is empty, holds a control character, or has a \"%\" that is not "
           "followed by two hexadecimal digits");
    return std::nullopt;
  }
  account.user = *user;
  if (!ParseHostAndPort(authority.substr(at + 1), account, problem)) return std::nullopt;
  if (slash != std::string_view::npos && !ParseTop(rest.substr(slash + 1), account, problem))
    return std::nullopt;
  return account;
}

std::string ImapAddress(const ImapAccount& account) {
  std::string address = account.security == ImapSecurity::kTls ? "imaps://" : "imap://";
  address += PercentEncoded(account.user, false);
  address += '@';
  const bool v6 = account.host.find(':') != std::string::npos;
  address += v6 ? "[" + account.host + "]" : account.host;
  if (account.port != DefaultImapPort(account.security))
    address += ':' + std::to_string(account.port);
  for (const std::string& segment : account.top)
    address += '/' + PercentEncoded(segment, true);
  return address;
}

}  // namespace vandrel
