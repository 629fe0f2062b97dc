// The Maildir output: the run's folders under a new top folder ("Calypso", "Calypso-2", ...) of
// a Maildir++ directory that Dovecot or Courier serves, all or nothing. The folders are built in
// a staging folder inside the Maildir's tmp/ (which no reader lists) and moved beside the
// Maildir's own folders only when every message is written; folders and messages that were
// there before are never touched.
#pragma once

#include <string>
#include <vector>

#include "engine/destinations/destination.h"
#include "engine/destinations/folder_tree.h"
#include "engine/writing/maildir_delivery.h"
#include "engine/writing/run_lock.h"

namespace vandrel {

class MaildirDestination : public Destination {
 public:
  explicit MaildirDestination(std::string maildir);
  MaildirDestination(const MaildirDestination&) = delete;
  MaildirDestination& operator=(const MaildirDestination&) = delete;
  ~MaildirDestination() override;

  // The Maildir is new, empty or a Maildir, and no other run writes into it; the name of the
  // new top folder is chosen.
  std::string Check() override;
  std::string Inspect() override;
  std::string Prepare() override;
  std::string Description() const override { return maildir_; }

  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;

  std::string Finish() override;
  std::string Abandon() override;

 private:
  std::string LookAtPlace(bool mayMake);
  std::string LookAtContents();
  std::string ChooseTopFolder();
  void NameNode(FolderTree::Node& node);
  std::string MakeFolder(const std::string& directoryName);
  std::string MoveIntoPlace();
  std::string Staged(const std::string& directoryName) const;
  std::string Placed(const std::string& directoryName) const;
  std::string LockFile() const;

  std::string maildir_;
  std::string top_;                        // the top folder's directory name, ".Calypso"
  std::string staging_;                    // where the folders are built; empty when there is none
  bool newMaildir_ = false;                // the Maildir has no cur, new and tmp yet
  bool madeMaildir_ = false;               // its folder was made by this run
  std::vector<std::string> madeParts_;     // the cur, new and tmp this run made
  std::vector<std::string> staged_;        // directory names of the run's folders, parents first
  std::vector<FolderTree::Node*> unmade_;  // claimed, not made yet
  FolderTree::Node* claimed_ = nullptr;    // by the last PlaceOf
  std::string current_;                    // the staged folder messages go into
  FolderTree tree_;
  RunLock lock_;
  MaildirDelivery delivery_;
};

}  // namespace vandrel
