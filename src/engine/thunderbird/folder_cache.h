// Thunderbird keeps the names of folders whose files carry a hashed name in its folder cache
// (folderCache.json in the profile, keyed by the folder's summary file). Adding entries there
// lets new folders show their full names.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vandrel {

// Adds {"folderName": name} entries under the summary-file keys; false when the file is not a
// JSON object or cannot be replaced. The rest of the file stays as it was.
bool AddFolderNames(const std::string& cacheFile,
                    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName);

}  // namespace vandrel
