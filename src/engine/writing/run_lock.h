// A lock file held for as long as a run writes into a place, so that a second run into the same
// place is refused instead of mixing its messages into the first one's. The file is removed
// when the lock is let go; one left by a run that was killed takes no lock with it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/file_error.h"

namespace vandrel {

class RunLock {
 public:
  enum class Result {
    kTaken,
    kBusy,
    kLinked,  // a link stands where the file goes; it is left as it is, never written through
    kFailed,
  };

  RunLock() = default;
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;
  ~RunLock() { Release(); }

  // Creates the file when it is missing and takes the lock without waiting.
  Result Take(const std::string& lockFile);
  void Release();
  // Why a Take failed: the file could not be made.
  FileErrorCause ErrorCause() const;

 private:
  std::intptr_t handle_ = -1;
  std::string path_;
  int error_ = 0;
};

// Takes the lock of a run into `place` (the output as the user named it): empty when taken, else
// the text of the error line.
std::string TakeRunLock(RunLock& lock, const std::string& lockFile, const std::string& place);

// Whether a link (on Windows any reparse point) stands at the path itself.
bool IsLink(const std::string& path);

// Whether a file could be made in an existing folder, asked without making one: nothing, or the
// cause the attempt would meet. `fileInIt` names such a file, for the cause.
using AddFileCheck = std::function<std::optional<FileErrorCause>(const std::string& folder,
                                                                 const std::string& fileInIt)>;
std::optional<FileErrorCause> CanAddFile(const std::string& folder, const std::string& fileInIt);

// What TakeRunLock would meet at `lockFile` and its folder, made of nothing: empty, or the text
// of its error line. A missing folder is one the run makes first, in the nearest one there is.
std::string RunLockProblem(const std::string& lockFile, const std::string& place,
                           const AddFileCheck& canAddFile = CanAddFile);

}  // namespace vandrel
