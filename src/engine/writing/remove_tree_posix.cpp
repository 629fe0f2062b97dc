#include <filesystem>
#include <system_error>

#include "engine/utf8_path.h"
#include "engine/writing/remove_tree.h"

namespace vandrel {

bool RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(Utf8Path(path), error);
  return !error;
}

}  // namespace vandrel
