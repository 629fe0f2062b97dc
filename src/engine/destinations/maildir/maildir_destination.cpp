#include "engine/destinations/maildir/maildir_destination.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unordered_set>

#include "engine/converting/message_date.h"
#include "engine/destinations/maildir/maildir_names.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "engine/writing/file_system_sync.h"
#include "engine/writing/long_folders.h"
#include "engine/writing/maildir_delivery_platform.h"
#include "engine/writing/move_without_replacing.h"
#include "engine/writing/stale_files.h"
#include "engine/writing/system_file_names.h"
#include "engine/writing/temporary_name.h"
#include "mime/ascii.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopFolder = "Calypso";
constexpr std::string_view kUnnamed = "Unnamed_folder";
// A dot-file Dovecot and Courier pass over: they take only directories for folders.
constexpr std::string_view kLockFile = ".vandrel.lock";
constexpr std::string_view kStagingPrefix = "vandrel-staging-";
constexpr std::string_view kFolderParts[] = {"cur", "new", "tmp"};
// Maildir++ marks a folder's directory so that delivery agents treat it as one.
constexpr std::string_view kFolderMark = "maildirfolder";
// A folder's whole path is one directory name: a long name is cut so that the folders inside
// it still have room; one that cannot have even a character of its own is too deep.
constexpr std::size_t kMaxSegment = 100;

std::string Joined(const std::string& folder, std::string_view name) {
  return PathText(Utf8Path(folder) / Utf8Path(name));
}

std::string NormalPath(const std::string& path) {
  std::error_code error;
  fs::path normal = fs::absolute(Utf8Path(path), error).lexically_normal();
  if (normal.has_parent_path() && normal.filename().empty()) normal = normal.parent_path();
  return PathText(normal);
}

std::string PathName(const std::vector<std::string>& path) {
  std::string name;
  for (const std::string& segment : path)
    name += (name.empty() ? "" : "\\") + segment;
  return name;
}

}  // namespace

MaildirDestination::MaildirDestination(std::string maildir) : maildir_(NormalPath(maildir)) {}

MaildirDestination::~MaildirDestination() {
  Abandon();
}

std::string MaildirDestination::LockFile() const {
  return Joined(maildir_, kLockFile);
}

std::string MaildirDestination::Staged(const std::string& directoryName) const {
  return Joined(staging_, directoryName);
}

std::string MaildirDestination::Placed(const std::string& directoryName) const {
  return Joined(maildir_, directoryName);
}

std::string MaildirDestination::Check() {
  if (std::string problem = LookAtPlace(true); !problem.empty()) return problem;
  if (std::string problem = TakeRunLock(lock_, LockFile(), maildir_); !problem.empty()) {
    return problem;
  }
  if (std::string problem = LookAtContents(); !problem.empty()) return problem;
  return ChooseTopFolder();
}

// What Check would find, with nothing made.
std::string MaildirDestination::Inspect() {
  if (std::string problem = LookAtPlace(false); !problem.empty()) return problem;
  if (std::string problem = RunLockProblem(LockFile(), maildir_); !problem.empty()) {
    return problem;
  }
  std::error_code error;
  if (!fs::exists(Utf8Path(maildir_), error)) {
    newMaildir_ = true;
  } else if (std::string problem = LookAtContents(); !problem.empty()) {
    return problem;
  }
  return ChooseTopFolder();
}

// The folder that holds the Maildir must be there: a mistyped path makes no tree of folders.
std::string MaildirDestination::LookAtPlace(bool mayMake) {
  const fs::path maildir = Utf8Path(maildir_);
  std::error_code error;
  if (!fs::is_directory(maildir.parent_path(), error)) {
    return FileErrorMessage(FileErrorCause::kBadPath, maildir_);
  }
  const fs::file_status status = fs::status(maildir, error);
  if (fs::exists(status)) {
    if (fs::is_directory(status)) return {};
    return Format(Tr("%1 is not a folder; name a Maildir or a new folder."), maildir_);
  }
  if (!mayMake) return {};
  if (!fs::create_directory(maildir, error) || error) {
    return FileErrorMessageFromErrno(error.value(), maildir_);
  }
  madeMaildir_ = true;
  return {};
}

// A Maildir (cur, new and tmp) or an empty folder; anything else may be a folder of the user's
// that a run must not fill with folders of its own.
std::string MaildirDestination::LookAtContents() {
  std::error_code error;
  int parts = 0;
  bool others = false;
  for (fs::directory_iterator it(Utf8Path(maildir_), error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = PathText(it->path().filename());
    const bool part =
        std::find(std::begin(kFolderParts), std::end(kFolderParts), name) != std::end(kFolderParts);
    std::error_code ignored;
    if (part && it->is_directory(ignored)) {
      ++parts;
    } else if (name != kLockFile) {
      others = true;
    }
  }
  if (error) return FileErrorMessageFromErrno(error.value(), maildir_);
  newMaildir_ = parts == 0 && !others;
  if (newMaildir_ || parts == 3) return {};
  return Format(Tr("%1 is neither a Maildir nor an empty folder; name a Maildir (with cur, new "
                   "and tmp) or a new folder."),
                maildir_);
}

// A new top folder, never one that exists, in any letter case, or a folder below one that
// does not: the Maildir's own folders stay untouched.
std::string MaildirDestination::ChooseTopFolder() {
  std::unordered_set<std::string> taken;
  std::error_code error;
  if (fs::exists(Utf8Path(maildir_), error)) {
    for (fs::directory_iterator it(Utf8Path(maildir_), error), end; !error && it != end;
         it.increment(error)) {
      const std::string name = mime::ToLowerAscii(PathText(it->path().filename()));
      taken.insert(name.substr(0, name.find('.', 1)));
    }
  }
  if (error) return FileErrorMessageFromErrno(error.value(), maildir_);
  std::string name(kTopFolder);
  for (int number = 2; taken.count("." + mime::ToLowerAscii(name)) != 0; ++number)
    name = std::string(kTopFolder) + "-" + std::to_string(number);
  top_ = "." + name;
  tree_.Root().storedName = top_;
  return {};
}

std::string MaildirDestination::Prepare() {
  std::error_code error;
  if (newMaildir_) {
    for (std::string_view part : kFolderParts) {
      const std::string path = Joined(maildir_, part);
      if (!fs::create_directory(Utf8Path(path), error) || error) {
        return FileErrorMessageFromErrno(error.value(), path);
      }
      madeParts_.push_back(path);
    }
  }
  const std::string tmp = Joined(maildir_, "tmp");
  RemoveStaleFiles(tmp, std::string(kStagingPrefix));
  staging_ = Joined(tmp, TemporaryName(std::string(kStagingPrefix)));
  if (!fs::create_directory(Utf8Path(staging_), error) || error) {
    const std::string problem = FileErrorMessageFromErrno(error.value(), staging_);
    staging_.clear();
    return problem;
  }
  return MakeFolder(top_);
}

// Directory names are compared as the file system compares them, so none hides another.
void MaildirDestination::NameNode(FolderTree::Node& node) {
  const std::string& parent = node.parent->storedName;
  if (parent.empty() || parent.size() + 2 >= kMaxMaildirName) return;
  // One byte spare for what SystemFileName may add on Windows.
  const std::size_t room = std::min(kMaxMaildirName - parent.size() - 2, kMaxSegment);
  const std::string segment = UsableSegment(node.segment);
  const auto wanted = [&](int number) {
    const std::string suffix = number == 0 ? "" : "-" + std::to_string(number);
    return StoredSegment(segment, suffix, room);
  };
  if (wanted(999).empty()) return;
  const std::string name =
      TakeChildName(*node.parent, wanted, [](const std::string& n) { return FileNameKey(n); });
  node.storedName = SystemFileName(parent + "." + name);
}

std::string MaildirDestination::PlaceOf(const OutputFolder& folder) {
  claimed_ = &tree_.Claim(folder.path, kUnnamed, unmade_,
                          [this](FolderTree::Node& node) { NameNode(node); });
  return Placed(claimed_->storedName.empty() ? PathName(FolderTree::PathOf(*claimed_))
                                             : claimed_->storedName);
}

std::string MaildirDestination::BeginFolder(const OutputFolder& folder) {
  PlaceOf(folder);
  for (FolderTree::Node* node : unmade_) {
    if (node->storedName.empty()) {
      return Format(Tr("the folder %1 lies too deep for a Maildir: its name there would be longer "
                       "than 255 bytes."),
                    PathName(FolderTree::PathOf(*node)));
    }
    if (std::string problem = MakeFolder(node->storedName); !problem.empty()) return problem;
  }
  unmade_.clear();
  current_ = Staged(claimed_->storedName);
  return {};
}

std::string MaildirDestination::MakeFolder(const std::string& directoryName) {
  const std::string folder = Staged(directoryName);
  // By the system's long-path calls: a deep tree passes Windows' short path limit.
  bool made = vandrel::MakeFolder(folder);
  for (std::string_view part : kFolderParts)
    made = made && vandrel::MakeFolder(Joined(folder, part));
  std::string unused;
  made = made && maildir::WriteNewFile(Joined(folder, kFolderMark), {}, std::nullopt, unused) ==
                     maildir::WriteResult::kWritten;
  if (!made) return Format(Tr("cannot create the folder %1."), Placed(directoryName));
  staged_.push_back(directoryName);
  return {};
}

std::string MaildirDestination::Add(const ConvertedMessage& message) {
  std::string error;
  if (current_.empty()) return Format(Tr("no folder to add the message to in %1."), maildir_);
  if (!delivery_.Deliver(current_, MaildirText(message.text), MessageTime(message), error)) {
    return error;
  }
  return {};
}

std::string MaildirDestination::EndFolder() {
  current_.clear();
  return {};
}

// One flush for every message, then the folders show; the flush after the renames keeps a
// power cut from taking the folders back into tmp/, where the next run would clear them away.
std::string MaildirDestination::Finish() {
  if (staging_.empty()) return Format(Tr("nothing was prepared in %1."), maildir_);
  if (!SyncFileSystemOf(staging_)) return FileErrorMessageFromErrno(errno, maildir_);
  if (std::string problem = MoveIntoPlace(); !problem.empty()) return problem;
  RemoveTree(staging_);
  staging_.clear();
  madeParts_.clear();
  madeMaildir_ = false;
  const bool synced = SyncFileSystemOf(maildir_);
  lock_.Release();
  return synced ? std::string() : FileErrorMessageFromErrno(errno, maildir_);
}

// Parents first, so a reader that lists meanwhile finds each folder under its parent. Should
// one move fail (a folder of that name made meanwhile), those moved go back: all or nothing.
std::string MaildirDestination::MoveIntoPlace() {
  for (std::size_t i = 0; i < staged_.size(); ++i) {
    if (MoveWithoutReplacing(Staged(staged_[i]), Placed(staged_[i]))) continue;
    for (std::size_t back = i; back-- > 0;)
      MoveWithoutReplacing(Placed(staged_[back]), Staged(staged_[back]));
    return Format(Tr("cannot move the folder %1 into place."), Placed(staged_[i]));
  }
  return {};
}

// Only what this run made goes: its staging folder, and the Maildir's own cur, new and tmp and
// folder when the run made them (each removed only while empty).
std::string MaildirDestination::Abandon() {
  std::string said;
  std::error_code error;
  if (!staging_.empty()) {
    RemoveTree(staging_);
    staging_.clear();
    said = Tr(" Nothing was added to the Maildir.");
  }
  for (auto part = madeParts_.rbegin(); part != madeParts_.rend(); ++part)
    fs::remove(Utf8Path(*part), error);
  madeParts_.clear();
  lock_.Release();
  if (madeMaildir_) fs::remove(Utf8Path(maildir_), error);
  madeMaildir_ = false;
  return said;
}

}  // namespace vandrel
