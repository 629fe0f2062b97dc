#include <stdlib.h>

#include <filesystem>

#include "engine/destinations/thunderbird/thunderbird_profile.h"

namespace vandrel {

// %APPDATA%\Thunderbird; the wide environment keeps a user name outside the ANSI code page.
std::string ThunderbirdDataFolder() {
  const wchar_t* appData = ::_wgetenv(L"APPDATA");
  if (appData == nullptr || *appData == L'\0') return {};
  return (std::filesystem::path(appData) / "Thunderbird").string();
}

}  // namespace vandrel
