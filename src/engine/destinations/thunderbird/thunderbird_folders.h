// The profile output: new folders in a Thunderbird profile's Local Folders, all or nothing. The
// new top folder ("Calypso", "Calypso-2", ...) is built under a hidden staging folder and moved
// into place only when every folder is written; a run that fails or stops leaves the profile as
// it was.
#pragma once

#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/destinations/thunderbird/folder_cache.h"
#include "engine/writing/output_target.h"
#include "engine/writing/run_lock.h"

namespace vandrel {

class ThunderbirdFolders : public OutputTarget {
 public:
  // An empty profile means the default profile.
  explicit ThunderbirdFolders(std::string profile);
  ThunderbirdFolders(const ThunderbirdFolders&) = delete;
  ThunderbirdFolders& operator=(const ThunderbirdFolders&) = delete;
  ~ThunderbirdFolders() override;

  // The profile is there, has Local Folders, is not in use, and no other run writes into it;
  // the name of the new top folder is chosen.
  std::string Check() override;
  std::string Inspect() override;
  std::string Prepare() override;
  std::string Description() const override;
  std::string FileFor(const std::string& folderName, const std::string& cleanedName) override;
  std::string TemporaryPrefix() const override { return ".vandrel-"; }
  std::string Finish() override;
  std::string Note() const override { return note_; }
  std::string Abandon() override;

 private:
  std::string FindLocalFolders();
  std::string ChooseTopFolder();
  std::string ProfileInUse() const;
  std::string LockFile() const;
  std::string MoveIntoPlace();
  void RecordLongNames(FolderCacheResult result);

  std::string profile_;
  std::string localFolders_;
  std::string top_;      // the top folder's name
  std::string staging_;  // where the top folder is built; empty when there is none
  RunLock lock_;
  std::unordered_set<std::string> usedNames_;                   // as FileNameKey gives them
  std::vector<std::pair<std::string, std::string>> longNames_;  // file name, folder name
  std::string note_;
};

}  // namespace vandrel
