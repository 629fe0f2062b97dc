// Thunderbird keeps the names of folders whose files carry a hashed name in its folder cache
// (folderCache.json in the profile, keyed by the folder's summary file). Adding entries there
// lets new folders show their full names.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {

enum class FolderCacheResult {
  kWritten,
  kNotJson,      // left as it was: it did not read as a JSON object (see FolderCache::Read)
  kWriteFailed,  // left as it was: the new cache could not be written
};

// Larger than any cache Thunderbird writes; one this large is left alone, not read.
inline constexpr std::size_t kMaxFolderCacheSize = std::size_t{64} << 20;

class FolderCache {
 public:
  FolderCache();
  FolderCache(const FolderCache&) = delete;
  FolderCache& operator=(const FolderCache&) = delete;
  ~FolderCache();

  // Reads the cache; a missing one is empty. False, with the cache left alone for good, when it
  // is not a regular file once links are followed (a folder, a FIFO, a device), is larger than
  // kMaxFolderCacheSize, cannot be read, or is not a JSON object. Never waits.
  bool Read(const std::string& cacheFile);

  // After a Read that succeeded: adds {"folderName": name} to the entries of the summary-file
  // keys and keeps everything else. The cache is replaced whole, written beside it first: a
  // symbolic link stays and its target is replaced, and the file keeps its mode.
  FolderCacheResult AddFolderNames(
      const std::vector<std::pair<std::string, std::string>>& summaryFileAndName);

 private:
  struct Entries;
  std::filesystem::path file_;  // the file the cache is in: a link's target
  std::unique_ptr<Entries> entries_;
};

// Read, then AddFolderNames.
FolderCacheResult AddFolderNames(
    const std::string& cacheFile,
    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName);

}  // namespace vandrel
