// Where a run into a mail account remembers what it has put there, so that a rerun carries on
// instead of starting over. Both windows and the command line use the same folder.
#pragma once

#include <filesystem>

namespace vandrel {

// The "accounts" folder beside the settings: below the settings folder on Linux, below the
// user's local application data (%LOCALAPPDATA%\Vandrel) on Windows, since it belongs to this
// machine only. Not made here; empty when no such folder is known.
std::filesystem::path RunJournalFolder();

}  // namespace vandrel
