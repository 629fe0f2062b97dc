#include "settings/registry_file.h"

#include <sys/stat.h>

#include <system_error>
#include <utility>

#include "settings/file_lock.h"
#include "settings/file_registry_key.h"
#include "settings/registry_file_content.h"
#include "settings/settings_folder.h"

namespace vandrel {
namespace {

std::string KeyPath(RegistryRoot root, const std::string& subKey) {
  std::string path(RootKeyName(root));
  if (!subKey.empty()) path += '\\' + subKey;
  return path;
}

bool FitsInKeyLine(const std::string& subKey) {
  return subKey.find_first_of("\r\n") == std::string::npos;
}

// A settings file that is a symbolic link (as dotfile managers make them) is written through the
// link, so that the link stays in place.
std::filesystem::path FollowLinks(std::filesystem::path file) {
  std::error_code error;
  for (int hops = 0; hops < 16 && std::filesystem::is_symlink(file, error); ++hops) {
    const std::filesystem::path target = std::filesystem::read_symlink(file, error);
    if (error) break;
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  return file;
}

// Folders that have to be made are private to the user, as the XDG base directory rules ask.
bool MakeFolder(const std::filesystem::path& folder) {
  std::filesystem::path partial;
  for (const std::filesystem::path& part : folder) {
    partial /= part;
    mkdir(partial.c_str(), 0700);
  }
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

}  // namespace

FileRegistry::FileRegistry(std::filesystem::path folder, std::function<void()> beforeReplace)
    : folder_(std::move(folder)), beforeReplace_(std::move(beforeReplace)) {}

std::filesystem::path FileRegistry::FileOf(RegistryRoot root) const {
  return folder_ / (root == RegistryRoot::LocalMachine ? "local_machine.reg" : "current_user.reg");
}

std::unique_ptr<RegistryKey> FileRegistry::CreateKey(RegistryRoot root,
                                                     const std::string& subKey) const {
  if (folder_.empty() || !FitsInKeyLine(subKey) || !MakeFolder(folder_)) return nullptr;
  const std::filesystem::path file = FileOf(root);
  std::optional<FileLock> lock = FileLock::Acquire(file.string() + ".lock");
  if (!lock) return nullptr;
  const std::filesystem::path target = FollowLinks(file);
  auto key =
      std::make_unique<FileRegistryKey>(RegistryFileContent::Load(target), KeyPath(root, subKey),
                                        std::move(*lock), target, beforeReplace_);
  key->MakeKey();
  return key;
}

std::unique_ptr<RegistryKey> FileRegistry::OpenKey(RegistryRoot root,
                                                   const std::string& subKey) const {
  if (folder_.empty() || !FitsInKeyLine(subKey)) return nullptr;
  RegistryFileContent content = RegistryFileContent::Load(FileOf(root));
  const std::string path = KeyPath(root, subKey);
  // A root key always exists, as it does in the registry.
  if (!subKey.empty() && !content.parsed.document.HasKey(path)) return nullptr;
  return std::make_unique<FileRegistryKey>(std::move(content), path);
}

std::unique_ptr<RegistryKey> CreateRegistryKey(RegistryRoot root, const std::string& subKey) {
  return FileRegistry(SettingsFolder()).CreateKey(root, subKey);
}

std::unique_ptr<RegistryKey> OpenRegistryKey(RegistryRoot root, const std::string& subKey) {
  return FileRegistry(SettingsFolder()).OpenKey(root, subKey);
}

}  // namespace vandrel
