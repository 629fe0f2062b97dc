// Keys and values kept in text files, for systems without the Windows registry: one file per root
// key ("local_machine.reg", "current_user.reg") in a settings folder, in the REGEDIT4 layout.
//
// Writers take an advisory lock on "<file>.lock" for the whole read-modify-write and replace the
// file atomically, so two running copies of the program never lose each other's values and a
// crash leaves the previous file whole. Readers take no lock: they see the old or the new file.
// A file that cannot be read whole gives the values that could be read; before it is replaced,
// it is kept beside itself as "<file>.bad-<time>".
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "settings/registry_key.h"
#include "settings/registry_root.h"

namespace vandrel {

class FileRegistry {
 public:
  // `beforeReplace` runs when a new file is complete, just before it replaces the old one.
  explicit FileRegistry(std::filesystem::path folder, std::function<void()> beforeReplace = {});

  // Null when the folder or the lock cannot be had, or when the sub key holds a line break,
  // which the file cannot represent in a key path.
  std::unique_ptr<RegistryKey> CreateKey(RegistryRoot root, const std::string& subKey) const;
  // Null when the key does not exist.
  std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, const std::string& subKey) const;

  std::filesystem::path FileOf(RegistryRoot root) const;

 private:
  std::filesystem::path folder_;
  std::function<void()> beforeReplace_;
};

}  // namespace vandrel
