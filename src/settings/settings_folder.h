// Where the settings files live on systems without the Windows registry.
#pragma once

#include <filesystem>

namespace vandrel {

// $XDG_CONFIG_HOME/vandrel when that variable holds an absolute path, else ~/.config/vandrel.
// Empty when no home folder is known either.
std::filesystem::path SettingsFolder();

}  // namespace vandrel
