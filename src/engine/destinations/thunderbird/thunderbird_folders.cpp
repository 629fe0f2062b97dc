#include "engine/destinations/thunderbird/thunderbird_folders.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/destinations/thunderbird/folder_cache.h"
#include "engine/destinations/thunderbird/thunderbird_names.h"
#include "engine/destinations/thunderbird/thunderbird_profile.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "engine/utf8_text.h"
#include "engine/writing/file_system_sync.h"
#include "engine/writing/long_folders.h"
#include "engine/writing/move_without_replacing.h"
#include "engine/writing/output_names.h"
#include "engine/writing/stale_files.h"
#include "engine/writing/system_file_names.h"
#include "engine/writing/temporary_name.h"
#include "mime/ascii.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopFolder = "Calypso";
constexpr std::string_view kSubfolders = ".sbd";
constexpr std::string_view kSummary = ".msf";
constexpr std::string_view kUnnamed = "Unnamed folder";
constexpr std::string_view kStagingPrefix = ".vandrel-staging-";
constexpr std::string_view kFolderCache = "folderCache.json";
constexpr std::string_view kLockFile = ".vandrel.lock";
// A file name and ".msf" behind it must fit the file system's 255 bytes.
constexpr std::size_t kMaxFileName = 255;
constexpr std::size_t kShortenedName = 200;

// Absolute and lexically normal, as Thunderbird writes the keys of its folder cache; symbolic
// links stay as they are.
std::string NormalPath(const std::string& path) {
  std::error_code error;
  fs::path normal = fs::absolute(Utf8Path(path), error).lexically_normal();
  if (normal.has_parent_path() && normal.filename().empty()) normal = normal.parent_path();
  return PathText(normal);
}

std::string Joined(const std::string& folder, std::string_view name) {
  return PathText(Utf8Path(folder) / Utf8Path(name));
}

// The name a folder can have in Thunderbird: no "/" (it separates folders in Thunderbird's
// addresses), no NUL, and short enough that its summary file can be made.
std::string UsableName(const std::string& folderName) {
  std::string name = folderName;
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\0', '_');
  if (ThunderbirdFileName(name).size() + kSummary.size() > kMaxFileName) {
    CutToLength(name, kShortenedName);
    while (!name.empty() && (name.back() == ' ' || name.back() == '.' || name.back() == '~')) {
      name.pop_back();
    }
    if (name.empty()) name = kUnnamed;
  }
  return name;
}

}  // namespace

ThunderbirdFolders::ThunderbirdFolders(std::string profile) : profile_(std::move(profile)) {}

ThunderbirdFolders::~ThunderbirdFolders() {
  Abandon();
}

std::string ThunderbirdFolders::ProfileInUse() const {
  if (!IsProfileInUse(profile_)) return {};
  return Format(Tr("Thunderbird is running with the profile %1; close Thunderbird, then convert "
                   "again."),
                profile_);
}

std::string ThunderbirdFolders::Check() {
  if (std::string problem = FindLocalFolders(); !problem.empty()) return problem;
  std::error_code error;
  fs::create_directories(Utf8Path(localFolders_), error);
  if (std::string problem = TakeRunLock(lock_, LockFile(), profile_); !problem.empty()) {
    return problem;
  }
  RemoveStaleFiles(localFolders_, std::string(kStagingPrefix));
  return ChooseTopFolder();
}

// What Check would find, the lock file included, with nothing made.
std::string ThunderbirdFolders::Inspect() {
  if (std::string problem = FindLocalFolders(); !problem.empty()) return problem;
  if (std::string problem = RunLockProblem(LockFile(), profile_); !problem.empty()) {
    return problem;
  }
  return ChooseTopFolder();
}

std::string ThunderbirdFolders::LockFile() const {
  return Joined(localFolders_, kLockFile);
}

std::string ThunderbirdFolders::FindLocalFolders() {
  if (profile_.empty()) profile_ = DefaultThunderbirdProfile(ThunderbirdDataFolder());
  std::error_code error;
  if (profile_.empty() || !fs::is_directory(Utf8Path(profile_), error)) {
    if (profile_.empty()) return std::string(Tr("no Thunderbird profile found."));
    return Format(Tr("no Thunderbird profile found at %1."), profile_);
  }
  profile_ = NormalPath(profile_);
  const std::optional<std::string> localFolders = LocalFoldersOf(profile_);
  if (!localFolders) {
    return Format(Tr("Thunderbird has not set up Local Folders in %1 yet; start Thunderbird once, "
                     "then convert again."),
                  profile_);
  }
  localFolders_ = NormalPath(*localFolders);
  const std::string store = LocalFoldersStoreOf(profile_);
  store_ = MakeThunderbirdStore(store);
  if (store_ == nullptr) {
    return Format(Tr("the Local Folders of %1 use a mail store Vandrel does not know (%2)."),
                  profile_, store);
  }
  return ProfileInUse();
}

// A new top folder, never one that exists: Thunderbird's own folders stay untouched.
std::string ThunderbirdFolders::ChooseTopFolder() {
  std::unordered_set<std::string> existing;
  std::error_code error;
  if (fs::exists(Utf8Path(localFolders_), error)) {
    for (fs::directory_iterator it(Utf8Path(localFolders_), error), end; !error && it != end;
         it.increment(error)) {
      existing.insert(mime::ToLowerAscii(PathText(it->path().filename())));
    }
  }
  if (error) return Format(Tr("cannot read %1: %2"), localFolders_, error.message());
  const auto taken = [&existing](const std::string& name) {
    const std::string lower = mime::ToLowerAscii(name);
    return existing.count(lower) != 0 || existing.count(lower + std::string(kSubfolders)) != 0 ||
           existing.count(lower + std::string(kSummary)) != 0;
  };
  top_ = kTopFolder;
  for (int number = 2; taken(top_); ++number) {
    top_ = std::string(kTopFolder) + "-" + std::to_string(number);
  }
  return {};
}

// The top folder is built in a hidden folder of its own, so no half of it ever shows.
std::string ThunderbirdFolders::Prepare() {
  // Again: Thunderbird may have been started while the export was read.
  if (std::string problem = ProfileInUse(); !problem.empty()) return problem;
  std::error_code error;
  staging_ = Joined(localFolders_, TemporaryName(std::string(kStagingPrefix)));
  fs::create_directory(Utf8Path(staging_), error);
  if (!error)
    fs::create_directory(Utf8Path(Joined(staging_, top_ + std::string(kSubfolders))), error);
  if (error || !store_->MakeEmptyFolder(Joined(staging_, top_))) {
    return Format(Tr("cannot create the folder %1."), Description());
  }
  return {};
}

std::string ThunderbirdFolders::Description() const {
  return Joined(localFolders_, top_);
}

// A name Thunderbird finds the folder by, used by no sibling, and none Thunderbird gives its own
// files.
void ThunderbirdFolders::Name(FolderTree::Node& node) {
  const std::string base = UsableName(node.segment);
  std::string name = base;
  std::string fileName = SystemFileName(ThunderbirdFileName(name));
  FolderTree::Node& parent = *node.parent;
  for (int number = 2;
       parent.childNames.count(FileNameKey(fileName)) != 0 || EndsLikeThunderbirdsOwnFile(fileName);
       ++number) {
    name = base + "-" + std::to_string(number);
    fileName = SystemFileName(ThunderbirdFileName(name));
  }
  parent.childNames.insert(FileNameKey(fileName));
  node.storedName = fileName;
  if (fileName != name) {
    longNames_.emplace_back(PathOf(node, true) + std::string(kSummary), name);
  }
}

std::string ThunderbirdFolders::PathOf(const FolderTree::Node& node, bool placed) const {
  if (node.parent == nullptr) {
    return Joined(placed || staging_.empty() ? localFolders_ : staging_, top_);
  }
  return Joined(PathOf(*node.parent, placed) + std::string(kSubfolders), node.storedName);
}

std::string ThunderbirdFolders::PlaceOf(const OutputFolder& folder) {
  made_.clear();
  current_ =
      &tree_.Claim(folder.path, kUnnamed, made_, [this](FolderTree::Node& node) { Name(node); });
  return PathOf(*current_, true);
}

// A parent without mail of its own shows only when it exists, empty; the folder about to be
// written is made by the store.
std::string ThunderbirdFolders::MakeFolders(const std::vector<FolderTree::Node*>& nodes) {
  for (const FolderTree::Node* node : nodes) {
    const std::string path = PathOf(*node, false);
    const bool made = MakeFolder(PathOf(*node->parent, false) + std::string(kSubfolders));
    if (!made || (node != current_ && !store_->MakeEmptyFolder(path))) {
      return Format(Tr("cannot create the folder %1."), path);
    }
  }
  return {};
}

std::string ThunderbirdFolders::BeginFolder(const OutputFolder& folder) {
  PlaceOf(folder);
  if (std::string problem = MakeFolders(made_); !problem.empty()) return problem;
  return store_->BeginFolder(PathOf(*current_, false));
}

std::string ThunderbirdFolders::Add(const ConvertedMessage& message) {
  return store_->Add(message);
}

std::string ThunderbirdFolders::EndFolder() {
  return store_->EndFolder();
}

std::string ThunderbirdFolders::Finish() {
  // Thunderbird may have been started while the folders were written; it must not see them
  // appear under it.
  if (std::string problem = ProfileInUse(); !problem.empty()) return problem;
  // Read before anything moves in: whatever stands in the cache's place can then neither fail
  // nor hold up a run whose folders are already in place.
  if (std::string problem = store_->Flush(staging_); !problem.empty()) return problem;
  FolderCache cache;
  const bool cacheRead = !longNames_.empty() && cache.Read(Joined(profile_, kFolderCache));
  if (std::string problem = MoveIntoPlace(); !problem.empty()) return problem;
  // The moves, too, are to last; the folders are in place whatever this says.
  SyncFileSystemOf(localFolders_);
  if (!longNames_.empty()) {
    RecordLongNames(cacheRead ? cache.AddFolderNames(longNames_) : FolderCacheResult::kNotJson);
  }
  return {};
}

// The subfolders first, then the top folder's file, which makes the folder show.
std::string ThunderbirdFolders::MoveIntoPlace() {
  const std::string subfolders = top_ + std::string(kSubfolders);
  const std::string stagedSubfolders = Joined(staging_, subfolders);
  const std::string placedSubfolders = Joined(localFolders_, subfolders);
  if (!MoveWithoutReplacing(stagedSubfolders, placedSubfolders)) {
    return Format(Tr("cannot move the folder %1 into place."), Description());
  }
  if (!MoveWithoutReplacing(Joined(staging_, top_), Description())) {
    MoveWithoutReplacing(placedSubfolders, stagedSubfolders);
    return Format(Tr("cannot move the folder %1 into place."), Description());
  }
  RemoveTree(staging_);
  staging_.clear();
  return {};
}

void ThunderbirdFolders::RecordLongNames(FolderCacheResult result) {
  const std::string cache = Joined(profile_, kFolderCache);
  switch (result) {
    case FolderCacheResult::kWritten:
      return;
    case FolderCacheResult::kNotJson:
      note_ = Format(Tr("note: %1 could not be read, so the full names of folders with long names "
                        "are not in it; Thunderbird shows them shortened."),
                     cache);
      return;
    case FolderCacheResult::kWriteFailed:
      note_ = Format(Tr("note: the full names of folders with long names could not be recorded in "
                        "%1; Thunderbird shows them shortened."),
                     cache);
      return;
  }
}

std::string ThunderbirdFolders::Abandon() {
  if (store_ != nullptr) store_->Abandon();
  if (staging_.empty()) return {};
  RemoveTree(staging_);
  staging_.clear();
  return std::string(Tr(" Nothing was added to the Thunderbird profile."));
}

}  // namespace vandrel
