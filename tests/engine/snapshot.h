// What a folder holds, to compare before and after a run: a run that fails or stops must leave
// it byte for byte, mode for mode, as it was.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace vandrel::test {

// Every entry below the folder: its bytes (files), "link to ..." or "folder", and its mode.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  if (!fs::exists(folder)) return entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const auto mode = static_cast<unsigned>(fs::symlink_status(entry.path()).permissions());
    std::string what = "mode " + std::to_string(mode) + " ";
    if (entry.is_symlink()) {
      what += "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      what += std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } else {
      what += "folder";
    }
    entries[fs::relative(entry.path(), folder).string()] = what;
  }
  return entries;
}

}  // namespace vandrel::test
