#include <cstdlib>
#include <filesystem>

#include "engine/destinations/thunderbird/thunderbird_profile.h"

namespace vandrel {

std::string ThunderbirdDataFolder() {
  const char* home = std::getenv("HOME");
  return home == nullptr ? std::string() : (std::filesystem::path(home) / ".thunderbird").string();
}

}  // namespace vandrel
