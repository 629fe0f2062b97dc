// A lock file held for as long as a run writes into a place, so that a second run into the same
// place is refused instead of mixing its messages into the first one's. The file is removed
// when the lock is let go; one left by a run that was killed takes no lock with it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file_error.h"

namespace vandrel {

class RunLock {
 public:
  enum class Result { kTaken, kBusy, kFailed };

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

}  // namespace vandrel
