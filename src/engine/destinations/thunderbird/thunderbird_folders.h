// The profile output: new folders in a Thunderbird profile's Local Folders, all or nothing, in
// the tree the export's folder names give and in the mail store the account uses. The new top
// folder ("Calypso", "Calypso-2", ...) is built under a hidden staging folder and moved into
// place only when every folder is written; a run that fails or stops leaves the profile as it
// was.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/destinations/destination.h"
#include "engine/destinations/folder_tree.h"
#include "engine/destinations/thunderbird/folder_cache.h"
#include "engine/destinations/thunderbird/thunderbird_store.h"
#include "engine/writing/run_lock.h"

namespace vandrel {

class ThunderbirdFolders : public Destination {
 public:
  // An empty profile means the default profile.
  explicit ThunderbirdFolders(std::string profile);
  ThunderbirdFolders(const ThunderbirdFolders&) = delete;
  ThunderbirdFolders& operator=(const ThunderbirdFolders&) = delete;
  ~ThunderbirdFolders() override;

  // The profile is there, has Local Folders in a store Vandrel knows, is not in use, and no
  // other run writes into it; the name of the new top folder is chosen.
  std::string Check() override;
  std::string Inspect() override;
  std::string Prepare() override;
  std::string Description() const override;
  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;
  std::string Finish() override;
  std::string Note() const override { return note_; }
  std::string Abandon() override;

 private:
  std::string FindLocalFolders();
  std::string ChooseTopFolder();
  std::string ProfileInUse() const;
  std::string LockFile() const;
  void Name(FolderTree::Node& node);
  // Where the node's folder is: below the staging folder while the run writes, or where it
  // will be once it is in place.
  std::string PathOf(const FolderTree::Node& node, bool placed) const;
  std::string MakeFolders(const std::vector<FolderTree::Node*>& nodes);
  std::string MoveIntoPlace();
  void RecordLongNames(FolderCacheResult result);

  std::string profile_;
  std::string localFolders_;
  std::unique_ptr<ThunderbirdStore> store_;
  std::string top_;      // the top folder's name
  std::string staging_;  // where the top folder is built; empty when there is none
  RunLock lock_;
  FolderTree tree_;
  std::vector<FolderTree::Node*> made_;  // by the last PlaceOf
  FolderTree::Node* current_ = nullptr;
  std::vector<std::pair<std::string, std::string>> longNames_;  // summary file, folder name
  std::string note_;
};

}  // namespace vandrel
