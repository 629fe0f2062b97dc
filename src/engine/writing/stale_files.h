// A run that was killed (or lost its power) leaves its temporary files behind. The next run into
// the same place removes them, once it holds that place's lock, so they cannot be another
// run's.
#pragma once

#include <string>

namespace vandrel {

// Removes the files and folders directly in `folder` whose names begin with `prefix`.
void RemoveStaleFiles(const std::string& folder, const std::string& prefix);

}  // namespace vandrel
