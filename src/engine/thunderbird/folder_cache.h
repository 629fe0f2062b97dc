// Thunderbird keeps the names of folders whose files carry a hashed name in its folder cache
// (folderCache.json in the profile, keyed by the folder's summary file). Adding entries there
// lets new folders show their full names.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vandrel {

enum class FolderCacheResult {
  kWritten,
  kNotJson,      // left as it was: it did not read as a JSON object
  kWriteFailed,  // left as it was: the new cache could not be written
};

// Adds {"folderName": name} to the entries of the summary-file keys and keeps everything else.
// The cache is replaced whole, written beside it first: a symbolic link stays and its target
// is replaced, and the file keeps its mode.
FolderCacheResult AddFolderNames(
    const std::string& cacheFile,
    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName);

}  // namespace vandrel
