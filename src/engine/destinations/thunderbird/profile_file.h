// A file of a Thunderbird profile (profiles.ini, prefs.js, folderCache.json) read whole, as
// whatever stands at its path allows: what is not a regular file once links are followed (a
// folder, a FIFO, a device such as /dev/zero) is not read at all, and a read never waits and
// never goes past a bound.
#pragma once

#include <cstddef>
#include <string>

namespace vandrel {

struct ProfileFile {
  enum class State {
    kRead,
    kMissing,   // nothing at the path, or a link to nothing
    kUnusable,  // not a regular file, larger than the bound, or not readable
  };
  State state = State::kMissing;
  std::string text;  // when read
};

ProfileFile ReadProfileFile(const std::string& path, std::size_t maxSize);

}  // namespace vandrel
