#include <windows.h>

#include <shlobj.h>

#include "settings/journal_folder.h"

namespace vandrel {

// Local, not roaming: the journal describes uploads made from this machine.
std::filesystem::path RunJournalFolder() {
  PWSTR local = nullptr;
  std::filesystem::path folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &local)) &&
      local != nullptr && *local != L'\0') {
    folder = std::filesystem::path(local) / L"Vandrel" / L"accounts";
  }
  ::CoTaskMemFree(local);
  return folder;
}

}  // namespace vandrel
