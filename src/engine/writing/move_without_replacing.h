// Moving a finished folder into place, never over something that appeared there meanwhile.
#pragma once

#include <string>

namespace vandrel {

// Renames `from` to `to` in the same file system; false when `to` exists or the rename fails.
bool MoveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace vandrel
