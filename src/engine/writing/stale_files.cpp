#include "engine/writing/stale_files.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "engine/utf8_path.h"
#include "engine/writing/long_folders.h"

namespace vandrel {

void RemoveStaleFiles(const std::string& folder, const std::string& prefix) {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(Utf8Path(folder), error), end; !error && it != end;
       it.increment(error)) {
    if (PathText(it->path().filename()).starts_with(prefix)) stale.push_back(it->path());
  }
  for (const fs::path& path : stale)
    RemoveTree(PathText(path));
}

}  // namespace vandrel
