// What the "Mail account" dialog of both windows shows and takes, without a toolkit: the fields
// of an account's address and back, the port that follows the security, and what to correct.
// The password is no field here: it never goes into an address.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/destinations/imap/imap_account.h"
#include "texts/texts.h"

namespace vandrel {

struct SecurityChoice {
  ImapSecurity security;
  std::string_view label;  // shown through Tr
};

// The dialog's choice of security, in this order.
inline constexpr std::array<SecurityChoice, 2> kSecurityChoices = {{
    // Translators: the names mail programs give these two kinds of encryption.
    {ImapSecurity::kTls, TrNoop("SSL/TLS")},
    {ImapSecurity::kStartTls, TrNoop("STARTTLS")},
}};

struct AccountFields {
  std::string server;
  std::string port = "993";  // as typed
  std::string user;
  ImapSecurity security = ImapSecurity::kTls;
  // Not shown: kept as the address had it.
  std::vector<std::string> top = {std::string(kDefaultImapTop)};
  bool operator==(const AccountFields&) const = default;
};

// The fields of the account an address names; empty ones when it names none.
AccountFields FieldsOfAddress(std::string_view address);

// The port once the security changed from `from` to `to`: the default of the new one when it
// was the default of the old one or nothing; as typed otherwise.
std::string PortAfterSecurityChange(std::string_view port, ImapSecurity from, ImapSecurity to);

enum class AccountField { kNone, kServer, kPort, kUser, kPassword };

// The address the fields make, or what the user must correct, and in which field.
struct AccountCheck {
  std::string address;  // empty when there is a problem
  AccountField field = AccountField::kNone;
  std::string problem;  // a sentence for the dialog, in the current language
};

// The password is only looked at for whether it is there, and only when a run needs it now.
AccountCheck CheckAccount(const AccountFields& fields, std::string_view password,
                          bool passwordNeeded);

}  // namespace vandrel
