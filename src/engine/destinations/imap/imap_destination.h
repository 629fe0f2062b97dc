// Uploads the run's folders into a mail account over IMAP: the export's tree under a top folder
// of the account (made when missing, used again by a rerun), each message by APPEND, unread and
// dated by its Date field. A message the server refuses is reported and the run goes on; a
// lost connection is tried again a few times. The upload journal lets a rerun of the same
// command store only what is missing; without it, what is there is found by Message-ID.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/conversion_request.h"
#include "engine/destinations/destination.h"
#include "engine/destinations/folder_tree.h"
#include "engine/destinations/imap/imap_account.h"
#include "engine/destinations/imap/imap_sign_in.h"
#include "engine/destinations/imap/upload_journal.h"

namespace vandrel {

class ImapDestination : public Destination {
 public:
  using Pauses = std::vector<std::chrono::milliseconds>;
  // The pauses before each new try after a lost connection.
  static Pauses DefaultPauses();

  ImapDestination(std::string address, AccountAccess access, std::string inputPath);
  // With another network (a test's server) and other pauses.
  ImapDestination(std::string address, AccountAccess access, std::string inputPath,
                  ImapNetwork network, Pauses pauses);
  ~ImapDestination() override;

  void WatchStop(std::stop_token stop) override { stop_ = std::move(stop); }
  std::string Check() override;
  std::string Inspect() override;
  std::string Prepare() override;
  std::string Description() const override { return address_; }

  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;
  RunFindings TakeFindings() override;

  std::string Finish() override;
  std::string Note() const override;
  std::string Abandon() override;

 private:
  std::string Open(bool look);
  std::string SignIn();
  std::string LookAtServer();
  std::string MailboxName(const std::vector<std::string>& encodedSegments) const;
  std::string ServerSegment(std::string_view segment) const;
  std::string Encoded(const std::string& segment) const;
  void NameNode(FolderTree::Node& node);
  std::string MakeMailbox(const FolderTree::Node& node);
  std::string SelectCurrent();
  std::string AddOne(const ConvertedMessage& message);
  // A message sent ahead, its answer not read yet.
  struct Pending {
    std::string tag;  // empty when the connection went while it was sent
    std::size_t number = 0;
    ConvertedMessage message;
  };
  static std::optional<std::int64_t> InternalTime(const ConvertedMessage& message);
  bool JournalSending(std::size_t number, std::size_t size, std::string& problem);
  bool SendOne(const ConvertedMessage& message, std::size_t number, std::string& problem);
  bool StoreOne(const ConvertedMessage& message, std::size_t number, std::string& problem);
  bool Settled(const Pending& pending, const ImapReply& reply, std::string& problem);
  bool SettleOldest(std::string& problem);
  bool SettleAll(std::string& problem);
  bool Recover(const std::string& why, std::string& problem);
  bool FoundOnServer(const ConvertedMessage& message, std::size_t number, std::string& problem);
  bool Reconnect(std::string why, std::string& problem);
  bool Pause(std::chrono::milliseconds pause);
  std::string LostLine(const std::string& why) const;
  void NotStored(const ConvertedMessage& message, std::string why);
  std::string Shown(const FolderTree::Node& node) const;

  std::string address_;
  AccountAccess access_;
  std::string inputPath_;
  ImapNetwork network_;
  Pauses pauses_;
  std::stop_token stop_;

  std::optional<ImapAccount> account_;
  std::unique_ptr<ImapClient> client_;
  UploadJournal journal_;
  char separator_ = '/';
  std::unordered_set<std::string> existing_;  // mailboxes there before this run
  std::unordered_set<std::string> selectable_;
  std::optional<std::size_t> appendLimit_;
  std::vector<std::string> topNames_;  // the top folder and its parents, parents first

  FolderTree tree_;
  std::unordered_map<const FolderTree::Node*, std::string> shown_;
  std::vector<FolderTree::Node*> unmade_;
  FolderTree::Node* claimed_ = nullptr;

  // The folder messages go into now.
  std::string mailbox_;
  std::string mailboxShown_;
  std::string folderProblem_;  // why the folder could not be made: its messages are not stored
  bool mailboxExisted_ = false;
  std::uint32_t serverCount_ = 0;  // messages the folder held when selected
  std::size_t number_ = 0;         // of the message in its folder
  std::set<std::uint32_t> claimedUids_;
  // Sent ahead: at most this many, or this many bytes, wait for their answers.
  static constexpr std::size_t kMessagesAhead = 32;
  static constexpr std::size_t kBytesAhead = 4 * 1024 * 1024;
  std::deque<Pending> pending_;
  std::size_t pendingBytes_ = 0;

  std::size_t stored_ = 0;
  std::size_t alreadyThere_ = 0;
  std::size_t seen_ = 0;    // messages dealt with, the one being added not yet
  bool rerunTold_ = false;  // the error line says already that a rerun continues
  RunFindings findings_;
};

}  // namespace vandrel
