#include "engine/writing/run_lock.h"

#include <filesystem>
#include <system_error>

#include "engine/utf8_path.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

std::string LinkedMessage(const std::string& lockFile) {
  return Format(
      Tr("%1 is a link, which a run does not write through; remove it, then convert again."),
      lockFile);
}

}  // namespace

std::string TakeRunLock(RunLock& lock, const std::string& lockFile, const std::string& place) {
  switch (lock.Take(lockFile)) {
    case RunLock::Result::kBusy:
      return Format(Tr("another conversion is writing %1."), place);
    case RunLock::Result::kLinked:
      return LinkedMessage(lockFile);
    case RunLock::Result::kFailed:
      return FileErrorMessage(lock.ErrorCause(), place);
    case RunLock::Result::kTaken:
      break;
  }
  return {};
}

std::string RunLockProblem(const std::string& lockFile, const std::string& place,
                           const AddFileCheck& canAddFile) {
  namespace fs = std::filesystem;
  if (IsLink(lockFile)) return LinkedMessage(lockFile);
  std::error_code error;
  const fs::path named = Utf8Path(lockFile).parent_path();
  const fs::path folder = fs::absolute(named.empty() ? fs::path(".") : named, error);
  fs::path existing = folder;
  bool missing = false;
  while (!fs::exists(existing, error) && !error && existing.has_relative_path()) {
    existing = existing.parent_path();
    missing = true;
  }
  // A folder that cannot be made leaves no way to the lock file: the path is bad. One that
  // cannot be looked at refuses the lock file the way it refuses the look.
  if (!error && !fs::is_directory(existing, error)) {
    return FileErrorMessage(FileErrorCause::kBadPath, place);
  }
  const std::optional<FileErrorCause> cause = canAddFile(PathText(existing), lockFile);
  if (!cause) return {};
  return FileErrorMessage(missing && !error ? FileErrorCause::kBadPath : *cause, place);
}

}  // namespace vandrel
