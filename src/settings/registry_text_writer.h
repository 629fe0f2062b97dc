// Writes the keys and values of one settings file in the REGEDIT4 text layout:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\ZQ\Vandrel]
//   "MRU_MailboxInputFile"="C:\\Mail\\export.txt"
//   "Count"=dword:00000100
//   "Blob"=hex:00,01,02
//   @="the key's default value"
//
// A string is written in quotes only when it is plain text: one NUL at its end, none inside and no
// control byte but tab. Any other string (line breaks, NULs) and any other type is written as
// hex(N) bytes, N being the type number, so every byte survives. Long hex lists are wrapped with a
// trailing "\" as regedit wraps them. In quotes, "\" and '"' are escaped with "\"; a value name
// may also hold LF and CR, written as \n and \r, since names have no hex form.
#pragma once

#include <string>

#include "settings/registry_document.h"

namespace vandrel {

std::string WriteRegistryText(const RegistryDocument& document);

}  // namespace vandrel
