#include "engine/writing/mbx_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/file_error.h"
#include "engine/thunderbird/thunderbird_names.h"
#include "engine/utf8_path.h"
#include "engine/writing/output_file.h"
#include "engine/writing/system_file_names.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".mbx";

// When the file is copied into Local Folders without ".mbx", Thunderbird must find it there.
std::size_t LeafStart(const std::string& fileName) {
  std::size_t leafStart = fileName.size();
  while (leafStart > 0 && !IsPathSeparator(fileName[leafStart - 1]))
    --leafStart;
  return leafStart;
}

// The folders on the way stay as written, separators included.
std::string ThunderbirdSafe(const std::string& fileName) {
  const std::size_t leafStart = LeafStart(fileName);
  const std::string stem =
      fileName.substr(leafStart, fileName.size() - leafStart - kExtension.size());
  const std::string safe = ThunderbirdFileName(stem);
  if (safe == stem) return fileName;
  return fileName.substr(0, leafStart) + safe + std::string(kExtension);
}

bool NamesFolder(const std::string& outputPath) {
  if (!outputPath.empty() && IsPathSeparator(outputPath.back())) return true;
  std::error_code error;
  return fs::is_directory(Utf8Path(outputPath), error);
}

}  // namespace

MbxFiles::MbxFiles(std::string outputPath)
    : outputPath_(std::move(outputPath)), intoFolder_(NamesFolder(outputPath_)) {}

std::string MbxFiles::Check() {
  if (outputPath_.empty()) return "no output file given.";
  std::string folder = outputPath_;
  if (!intoFolder_) {
    folder = Utf8Path(outputPath_).parent_path().string();
    if (folder.empty()) folder = ".";
  }
  if (const auto cause = CheckFolderTakesFiles(folder))
    return FileErrorMessage(*cause, outputPath_);
  return {};
}

std::string MbxFiles::FileFor(const std::string&, const std::string& cleanedName) {
  const std::string name = intoFolder_ ? FileNameInFolder(outputPath_, cleanedName)
                                       : OutputFileName(outputPath_, cleanedName);
  const std::size_t leafStart = LeafStart(name);
  return ThunderbirdSafe(
      names_.Claim(name.substr(0, leafStart) + SystemFileName(name.substr(leafStart))));
}

}  // namespace vandrel
