// The two root keys under which the program keeps values.
#pragma once

#include <string_view>

namespace vandrel {

enum class RegistryRoot { LocalMachine, CurrentUser };

// The name the Windows registry gives the root, as it appears in exported ".reg" text.
constexpr std::string_view RootKeyName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace vandrel
