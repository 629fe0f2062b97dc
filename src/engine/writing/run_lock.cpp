#include "engine/writing/run_lock.h"

namespace vandrel {

std::string TakeRunLock(RunLock& lock, const std::string& lockFile, const std::string& place) {
  switch (lock.Take(lockFile)) {
    case RunLock::Result::kBusy:
      return "another conversion is writing " + place + ".";
    case RunLock::Result::kFailed:
      return FileErrorMessage(lock.ErrorCause(), place);
    case RunLock::Result::kTaken:
      break;
  }
  return {};
}

}  // namespace vandrel
