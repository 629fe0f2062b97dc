#include "engine/writing/mbx_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/file_error.h"
#include "engine/thunderbird/thunderbird_names.h"
#include "engine/writing/output_file.h"

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

bool NamesFolder(const std::string& outputPath) {
  if (!outputPath.empty() && IsPathSeparator(outputPath.back())) return true;
  std::error_code error;
  return fs::is_directory(outputPath, error);
}

}  // namespace

MbxFiles::MbxFiles(std::string outputPath)
    : outputPath_(std::move(outputPath)), intoFolder_(NamesFolder(outputPath_)) {}

std::string MbxFiles::Check() {
  if (outputPath_.empty()) return "no output file given.";
  std::string folder = outputPath_;
  if (!intoFolder_) {
    folder = fs::path(outputPath_).parent_path().string();
    if (folder.empty()) folder = ".";
  }
  if (const auto cause = CheckFolderTakesFiles(folder))
    return FileErrorMessage(*cause, outputPath_);
  return {};
}

std::string MbxFiles::FileFor(const std::string&, const std::string& cleanedName) {
  const std::string name = intoFolder_ ? FileNameInFolder(outputPath_, cleanedName)
                                       : OutputFileName(outputPath_, cleanedName);
  return ThunderbirdSafe(names_.Claim(name));
}

}  // namespace vandrel
