// A mail account as the user names it: "imaps://USER@HOST[:PORT][/TOP]" (TLS from the first
// byte) or "imap://..." (STARTTLS, required). The address never holds a password.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

enum class ImapSecurity {
  kTls,       // imaps://, port 993 unless named
  kStartTls,  // imap://, port 143 unless named; a server that does not offer it is refused
};

inline constexpr std::string_view kDefaultImapTop = "Calypso";

struct ImapAccount {
  ImapSecurity security = ImapSecurity::kTls;
  std::string host;
  std::uint16_t port = 993;
  std::string user;
  // The folder the export's tree goes under, as "/"-separated segments; never empty.
  std::vector<std::string> top = {std::string(kDefaultImapTop)};
  bool operator==(const ImapAccount&) const = default;
};

std::uint16_t DefaultImapPort(ImapSecurity security);

// The account an address names, or nothing with the reason in `problem`. USER may hold "@"
// (the last "@" ends it); "%XX" stands for a byte in USER and TOP. A password in the address
// ("USER:PASSWORD@") is refused, so that it never stays on a command line or in the settings.
std::optional<ImapAccount> ParseImapAddress(std::string_view address, std::string& problem);

// The address of an account, in the form ParseImapAddress reads back; the port only when it is
// not the default one.
std::string ImapAddress(const ImapAccount& account);

}  // namespace vandrel
