#include <filesystem>
#include <system_error>

#include "engine/utf8_path.h"
#include "engine/writing/long_folders.h"

namespace vandrel {

bool RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(Utf8Path(path), error);
  return !error;
}

bool MakeFolder(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directory(Utf8Path(path), error);
  return !error && std::filesystem::is_directory(Utf8Path(path), error);
}

}  // namespace vandrel
