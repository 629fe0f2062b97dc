#include "engine/destinations/mbox/mbox_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/destinations/mbox/mbox_text.h"
#include "engine/destinations/thunderbird/thunderbird_names.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "engine/utf8_text.h"
#include "engine/writing/file_system_sync.h"
#include "engine/writing/stale_files.h"
#include "engine/writing/system_file_names.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".mbx";
// The longest file name before ".mbx": room is left for a "-N" and, for a name Thunderbird
// keeps almost whole, its hash, and a file system takes 255 bytes with ".msf" behind it.
constexpr std::size_t kMaxStem = 230;

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

std::string LeafOf(const std::string& path) {
  return path.substr(LeafStart(path));
}

// Runs into the same folder with other output names must not meet: each name has its own lock
// and temporary files.
std::string HashText(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text)
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
  return hex;
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

}  // namespace

MboxFiles::MboxFiles(std::string outputPath)
    : outputPath_(std::move(outputPath)), intoFolder_(NamesFolder(outputPath_)) {}

std::string MboxFiles::Check() {
  if (std::string problem = FindFolder(); !problem.empty()) return problem;
  if (std::string problem = TakeRunLock(lock_, LockFile(), outputPath_); !problem.empty()) {
    return problem;
  }
  RemoveStaleFiles(folder_, temporaryPrefix_);
  return {};
}

// What Check would find, the lock file included, with nothing made.
std::string MboxFiles::Inspect() {
  if (std::string problem = FindFolder(); !problem.empty()) return problem;
  return RunLockProblem(LockFile(), outputPath_);
}

std::string MboxFiles::FindFolder() {
  if (outputPath_.empty()) return std::string(Tr("no output file given."));
  folder_ = intoFolder_ ? outputPath_ : PathText(Utf8Path(outputPath_).parent_path());
  if (folder_.empty()) folder_ = ".";
  std::error_code error;
  if (!fs::is_directory(Utf8Path(folder_), error)) {
    return FileErrorMessage(FileErrorCause::kBadPath, outputPath_);
  }
  runName_ = ".vandrel-" + HashText(intoFolder_ ? std::string() : LeafOf(outputPath_));
  temporaryPrefix_ = runName_ + "-";
  return {};
}

std::string MboxFiles::LockFile() const {
  return PathText(Utf8Path(folder_) / Utf8Path(runName_ + ".lock"));
}

std::string MboxFiles::PlaceOf(const OutputFolder& folder) {
  std::string cleaned = CleanFolderName(folder.name);
  std::string name;
  if (intoFolder_) {
    name = FileNameInFolder(outputPath_, cleaned);
  } else {
    // The output's own name stays; the folder's name gives way when both are too long.
    const std::string leaf = LeafOf(outputPath_);
    const std::size_t times = Occurrences(leaf, kExtension);
    const std::size_t base = leaf.size() - times * kExtension.size();
    if (times > 0) CutToLength(cleaned, base < kMaxStem ? (kMaxStem - base) / times : 0);
    name = OutputFileName(outputPath_, cleaned);
  }
  const std::size_t leafStart = LeafStart(name);
  return ThunderbirdSafe(
      names_.Claim(name.substr(0, leafStart) + SystemFileName(name.substr(leafStart))));
}

std::string MboxFiles::BeginFolder(const OutputFolder& folder) {
  fileName_ = PlaceOf(folder);
  file_ = std::make_unique<OutputFile>();
  return file_->Open(fileName_, temporaryPrefix_) ? std::string() : FileFailed();
}

std::string MboxFiles::Add(const ConvertedMessage& message) {
  const bool written =
      WriteMboxMessage(message, [this](std::string_view bytes) { return file_->Write(bytes); });
  return written ? std::string() : FileFailed();
}

std::string MboxFiles::EndFolder() {
  if (!file_->Close(OutputFile::When::kLater)) return FileFailed();
  completed_.push_back({std::move(file_), fileName_});
  return {};
}

// The unfinished file goes before the error is told.
std::string MboxFiles::FileFailed() {
  const FileErrorCause cause = file_->ErrorCause();
  file_.reset();
  return FileErrorMessage(cause, fileName_);
}

std::string MboxFiles::Finish() {
  return PutCompletedInPlace();
}

// The data first, then the names, then the names on the disk too. A file that cannot be put in
// place is told; its temporary file goes, as do those after it.
std::string MboxFiles::PutCompletedInPlace() {
  std::vector<CompletedFile> completed = std::move(completed_);
  completed_.clear();
  if (completed.empty()) return {};
  if (!SyncFileSystemOf(folder_)) return FileErrorMessageFromErrno(errno, folder_);
  for (CompletedFile& done : completed) {
    if (!done.file->PutInPlace(OutputFile::When::kLater)) {
      return FileErrorMessage(done.file->ErrorCause(), done.name);
    }
  }
  SyncFileSystemOf(folder_);
  return {};
}

std::string MboxFiles::Abandon() {
  file_.reset();
  PutCompletedInPlace();
  return {};
}

}  // namespace vandrel
