#include "settings/settings_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vandrel {
namespace {

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || *found->pw_dir == '\0') {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::filesystem::path SettingsFolder() {
  // A relative value is to be ignored, as the XDG base directory rules ask.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::filesystem::path(config) / "vandrel";
  const std::filesystem::path home = HomeFolder();
  if (home.empty()) return {};
  return home / ".config" / "vandrel";
}

}  // namespace vandrel
