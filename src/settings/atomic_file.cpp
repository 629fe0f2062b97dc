#include "settings/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "settings/new_file.h"

namespace vandrel {
namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";

std::string TemporaryPrefix(const std::filesystem::path& target) {
  return target.filename().string() + std::string(kTemporaryMark);
}

mode_t ModeFor(const std::filesystem::path& target) {
  struct stat status {};
  if (stat(target.c_str(), &status) == 0) return status.st_mode & 07777;
  return 0600;
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& target, std::string_view contents,
                           const std::function<void()>& beforeRename) {
  const mode_t mode = ModeFor(target);
  const std::string prefix = TemporaryPrefix(target) + std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path temporary =
        target.parent_path() / (prefix + std::to_string(attempt));
    const NewFileResult written = WriteNewFile(temporary, contents, mode);
    if (written == NewFileResult::NameTaken) continue;
    if (written == NewFileResult::Failed) return false;
    if (beforeRename) beforeRename();
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
      unlink(temporary.c_str());
      return false;
    }
    SyncFolder(target.parent_path());
    return true;
  }
  return false;
}

void RemoveStaleTemporaries(const std::filesystem::path& target) {
  const std::string prefix = TemporaryPrefix(target);
  std::vector<std::filesystem::path> stale;
  std::error_code error;
  for (std::filesystem::directory_iterator it(target.parent_path(), error), end;
       !error && it != end; it.increment(error)) {
    if (it->path().filename().string().rfind(prefix, 0) == 0) stale.push_back(it->path());
  }
  for (const std::filesystem::path& path : stale)
    std::filesystem::remove(path, error);
}

}  // namespace vandrel
