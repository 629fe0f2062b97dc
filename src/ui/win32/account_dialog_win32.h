// "Mail account" on dialog template 103: the server, port, user name, password and security of
// the account a run puts the folders into.
#pragma once

#include <windows.h>

#include <string>

#include "ui/account_fields.h"

namespace vandrel {

// Shows the dialog modally over `owner`, starting with `fields` and `password`. OK is taken only
// when they make an address (and, with `passwordNeeded`, a password is there); then they hold
// what was typed and true is returned. Cancel leaves them as they were.
bool AskForAccount(HINSTANCE instance, HWND owner, AccountFields& fields, std::string& password,
                   bool passwordNeeded);

}  // namespace vandrel
