#include "settings/journal_folder.h"

#include "settings/settings_folder.h"

namespace vandrel {

std::filesystem::path RunJournalFolder() {
  const std::filesystem::path settings = SettingsFolder();
  if (settings.empty()) return {};
  return settings / "accounts";
}

}  // namespace vandrel
