#include "engine/converting/path_resolver.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/converting/file_exists.h"
#include "engine/utf8_path.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

bool IsDriveComponent(const std::string& component) {
  return component.size() == 2 && component[1] == ':' &&
         ((component[0] >= 'A' && component[0] <= 'Z') ||
          (component[0] >= 'a' && component[0] <= 'z'));
}

// Components between "\" (and "/", which Windows also takes), without a leading drive and
// without empty ones; empty when a component would step outside a folder.
std::vector<std::string> SplitWindowsPath(const std::string& path) {
  std::vector<std::string> components;
  std::string current;
  for (char c : path + '\\') {
    if (c != '\\' && c != '/') {
      current += c;
      continue;
    }
    if (!current.empty()) components.push_back(current);
    current.clear();
  }
  if (!components.empty() && IsDriveComponent(components.front()))
    components.erase(components.begin());
  const bool escapes = std::any_of(components.begin(), components.end(), [](const std::string& c) {
    return c == "." || c == ".." || c.find('\0') != std::string::npos;
  });
  return escapes ? std::vector<std::string>() : components;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(Utf8Path(path), error);
}

}  // namespace

PathResolver::PathResolver(std::vector<std::string> searchFolders)
    : searchFolders_(std::move(searchFolders)) {}

std::string PathResolver::Resolve(const std::string& pathAsWritten) {
  if (FileExists(pathAsWritten)) return pathAsWritten;
  if (pathAsWritten.find('\\') == std::string::npos) return {};
  const std::vector<std::string> components = SplitWindowsPath(pathAsWritten);
  for (const std::string& folder : searchFolders_) {
    for (std::size_t first = 0; first < components.size(); ++first) {
      std::string found = FindBelow(folder, components, first);
      if (!found.empty()) return found;
    }
  }
  return {};
}

std::string PathResolver::FindBelow(const std::string& folder,
                                    const std::vector<std::string>& components, std::size_t first) {
  std::string current = folder;
  for (std::size_t i = first; i < components.size(); ++i) {
    std::string next = MatchEntry(current, components[i]);
    if (next.empty()) return {};
    current = std::move(next);
  }
  return current;
}

std::string PathResolver::MatchEntry(const std::string& folder, const std::string& name) {
  const fs::path exact = Utf8Path(folder) / Utf8Path(name);
  if (Exists(exact.string())) return exact.string();
  auto listing = listings_.find(folder);
  if (listing == listings_.end()) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(Utf8Path(folder), error), end; !error && it != end;
         it.increment(error)) {
      names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    listing = listings_.emplace(folder, std::move(names)).first;
  }
  for (const std::string& entry : listing->second) {
    if (mime::EqualsIgnoreCase(entry, name)) return (Utf8Path(folder) / Utf8Path(entry)).string();
  }
  return {};
}

}  // namespace vandrel
