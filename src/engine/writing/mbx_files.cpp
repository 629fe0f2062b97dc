#include "engine/writing/mbx_files.h"

#include <filesystem>

#include "engine/thunderbird/thunderbird_names.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".mbx";

// When the file is copied into Local Folders without ".mbx", Thunderbird must find it there.
std::string ThunderbirdSafe(const std::string& fileName) {
  fs::path path(fileName);
  const std::string leaf = path.filename().string();
  const std::string stem = leaf.substr(0, leaf.size() - kExtension.size());
  const std::string safe = ThunderbirdFileName(stem);
  if (safe == stem) return fileName;
  return (path.parent_path() / (safe + std::string(kExtension))).string();
}

}  // namespace

std::string MbxFiles::FileFor(const std::string&, const std::string& cleanedName) {
  return ThunderbirdSafe(names_.Claim(OutputFileName(outputPath_, cleanedName)));
}

}  // namespace vandrel
