// A key of a settings file. Opened for reading it answers from the file as loaded; opened for
// writing it also holds the file's lock, and Close saves the changes and lets the lock go.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "settings/file_lock.h"
#include "settings/registry_file_content.h"
#include "settings/registry_key.h"

namespace vandrel {

class FileRegistryKey final : public RegistryKey {
 public:
  // For reading: SetValue answers false.
  FileRegistryKey(RegistryFileContent content, std::string keyPath);
  // For writing `file`, loaded while `lock` was held.
  FileRegistryKey(RegistryFileContent content, std::string keyPath, FileLock lock,
                  std::filesystem::path file, std::function<void()> beforeReplace);
  ~FileRegistryKey() override;

  // Adds the key to the content; the file changes on Close.
  void MakeKey();

  bool SetValue(const std::string& name, RegistryType type, std::string_view bytes) override;
  std::optional<RegistryData> QueryValue(const std::string& name, std::size_t capacity) override;
  bool Close() override;

 private:
  bool Save();

  RegistryFileContent content_;
  std::string keyPath_;
  std::optional<FileLock> lock_;
  std::filesystem::path file_;
  std::function<void()> beforeReplace_;
  bool changed_ = false;
};

}  // namespace vandrel
