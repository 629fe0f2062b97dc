#include "engine/destinations/imap/imap_destination.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <thread>
#include <utility>

#include "engine/converting/message_date.h"
#include "engine/destinations/imap/imap_mailboxes.h"
#include "engine/destinations/maildir/maildir_names.h"
#include "engine/stopped_text.h"
#include "engine/utf8_path.h"
#include "engine/utf8_text.h"
#include "mime/ascii.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

constexpr std::string_view kUnnamed = "Unnamed_folder";
// Servers keep a name's segments in file names or database keys: long ones are cut.
constexpr std::size_t kMaxSegment = 100;
// Years an IMAP date-time can hold.
constexpr std::int64_t kFirstDate = -30610224000;  // 1000-01-01
constexpr std::int64_t kLastDate = 253402300799;   // 9999-12-31 23:59:59

// Where the user finds the export: its full path and size, so that a rerun of the same
// export finds the same journal and another export starts its own.
std::string ExportKey(const std::string& inputPath) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(Utf8Path(inputPath), error);
  const auto size = std::filesystem::file_size(path, error);
  return PathText(path.lexically_normal()) + " " + std::to_string(error ? 0 : size);
}

// The unfolded value of the first header field `name`, or empty.
std::string HeaderValue(std::string_view header, std::string_view name) {
  // The line at `at`, and `at` moved past it.
  const auto nextLine = [&header](std::size_t& at) {
    const std::size_t end = std::min(header.find("\r\n", at), header.size());
    const std::string_view line = header.substr(at, end - at);
    at = end + 2;
    return line;
  };
  for (std::size_t at = 0; at < header.size();) {
    const std::string_view line = nextLine(at);
    if (line.empty()) return {};  // the blank line: the header ended
    if (line.size() <= name.size() || line[name.size()] != ':' ||
        !mime::StartsWithIgnoreCase(line, name))
      continue;
    std::string value(line.substr(name.size() + 1));
    while (at < header.size() && (header[at] == ' ' || header[at] == '\t'))
      value += nextLine(at);
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
  }
  return {};
}

std::string JournalUnwritten() {
  return std::string(Tr("cannot write the upload journal, which lets a rerun continue"));
}

std::string Refused(const std::string& why) {
  return Format(Tr("the server refused it: %1"), why);
}

std::string NotListed(const ImapAccount& account, const ImapReply& reply) {
  return Format(Tr("%1 did not list its folders: %2"), AccountName(account), reply.Told());
}

std::string Joined(const std::vector<std::string>& segments, std::string_view separator) {
  std::string joined;
  for (const std::string& segment : segments)
    joined += (joined.empty() ? "" : std::string(separator)) + segment;
  return joined;
}

}  // namespace

ImapDestination::Pauses ImapDestination::DefaultPauses() {
  using std::chrono::seconds;
  return {seconds(2), seconds(5), seconds(15), seconds(30)};
}

ImapDestination::ImapDestination(std::string address, AccountAccess access, std::string inputPath)
    : ImapDestination(std::move(address), access, std::move(inputPath),
                      ImapNetwork::System(access.caFile), DefaultPauses()) {}

ImapDestination::ImapDestination(std::string address, AccountAccess access, std::string inputPath,
                                 ImapNetwork network, Pauses pauses)
    : address_(std::move(address)),
      access_(std::move(access)),
      inputPath_(std::move(inputPath)),
      network_(std::move(network)),
      pauses_(std::move(pauses)) {}

ImapDestination::~ImapDestination() {
  Abandon();
}

std::string ImapDestination::Check() {
  return Open(false);
}

std::string ImapDestination::Inspect() {
  return Open(true);
}

std::string ImapDestination::Open(bool look) {
  std::string problem;
  account_ = ParseImapAddress(address_, problem);
  if (!account_) return Format(Tr("%1 does not name a mail account: %2."), address_, problem);
  address_ = ImapAddress(*account_);
  if (!look && !access_.journalFolder.empty()) {
    problem = journal_.Open(access_.journalFolder, address_, ExportKey(inputPath_), address_);
    if (!problem.empty()) return problem;
  }
  if (problem = SignIn(); !problem.empty()) return problem;
  return LookAtServer();
}

std::string ImapDestination::SignIn() {
  OpenedAccount opened = OpenAccount(*account_, access_, network_);
  if (opened.client == nullptr) {
    // Translators: an account (USER@HOST:PORT) and why it could not be signed in to.
    return Format(Tr("%1: %2"), AccountName(*account_), opened.problem);
  }
  client_ = std::move(opened.client);
  if (const auto limit = client_->CapabilityValue("APPENDLIMIT")) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(limit->data(), limit->data() + limit->size(), value);
    if (error == std::errc() && end == limit->data() + limit->size()) appendLimit_ = value;
  }
  return {};
}

// The separator, the top folder's name, and what is under it already.
std::string ImapDestination::LookAtServer() {
  ImapReply reply = HierarchySeparator(*client_, separator_);
  if (!reply.Ok()) return NotListed(*account_, reply);
  std::vector<std::string> top;
  for (const std::string& segment : account_->top) {
    top.push_back(Encoded(ServerSegment(segment)));
    topNames_.push_back(MailboxName(top));
  }
  tree_.Root().storedName = topNames_.back();
  shown_[&tree_.Root()] = Joined(account_->top, "/");
  std::vector<ListedMailbox> listed;
  reply = ListMailboxes(*client_, tree_.Root().storedName, listed);
  if (reply.Ok() && separator_ != '\0')
    reply = ListMailboxes(*client_, tree_.Root().storedName + separator_ + "*", listed);
  if (!reply.Ok()) return NotListed(*account_, reply);
  for (const ListedMailbox& mailbox : listed) {
    existing_.insert(mailbox.name);
    if (!mailbox.noSelect) selectable_.insert(mailbox.name);
  }
  return {};
}

std::string ImapDestination::MailboxName(const std::vector<std::string>& encodedSegments) const {
  return Joined(encodedSegments,
                separator_ == '\0' ? std::string("_") : std::string(1, separator_));
}

// The top folder and its parents, so that the tree shows from the top.
std::string ImapDestination::Prepare() {
  for (const std::string& name : topNames_) {
    if (selectable_.contains(name)) continue;
    const ImapReply reply = CreateMailbox(*client_, name);
    if (!reply.Ok()) {
      return Format(Tr("cannot make the folder %1 in %2: %3"), shown_[&tree_.Root()],
                    AccountName(*account_), reply.Told());
    }
    selectable_.insert(name);
  }
  return {};
}

// A segment of a name as the server can keep it: its separator inside it made "_" too.
std::string ImapDestination::ServerSegment(std::string_view segment) const {
  std::string usable = UsableMailboxSegment(segment);
  if (separator_ != '\0') std::replace(usable.begin(), usable.end(), separator_, '_');
  CutToLength(usable, kMaxSegment);
  return usable;
}

// Modified UTF-7, unless the server took UTF-8.
std::string ImapDestination::Encoded(const std::string& segment) const {
  return client_->Utf8() ? segment : ModifiedUtf7(segment);
}

void ImapDestination::NameNode(FolderTree::Node& node) {
  const std::string usable = ServerSegment(node.segment);
  const auto wanted = [&](int number) {
    return number == 0 ? usable : usable + "-" + std::to_string(number);
  };
  const std::string name =
      TakeChildName(*node.parent, wanted, [](const std::string& n) { return n; });
  node.storedName = MailboxName({node.parent->storedName, Encoded(name)});
  shown_[&node] = shown_[node.parent] + "/" + name;
}

std::string ImapDestination::Shown(const FolderTree::Node& node) const {
  const auto found = shown_.find(&node);
  return found == shown_.end() ? std::string() : found->second;
}

std::string ImapDestination::PlaceOf(const OutputFolder& folder) {
  claimed_ = &tree_.Claim(folder.path, kUnnamed, unmade_,
                          [this](FolderTree::Node& node) { NameNode(node); });
  // Translators: a folder (%1) in a mail account (%2).
  return Format(Tr("%1 in %2"), Shown(*claimed_), AccountName(*account_));
}

// A connection lost on the way is made again first.
std::string ImapDestination::MakeMailbox(const FolderTree::Node& node) {
  if (selectable_.contains(node.storedName)) return {};
  ImapReply reply = CreateMailbox(*client_, node.storedName);
  if (reply.status == ImapReply::Status::kLost) {
    std::string problem;
    if (!Reconnect(reply.text, problem)) return problem;
    reply = CreateMailbox(*client_, node.storedName);
  }
  if (!reply.Ok()) {
    folderProblem_ = Format(Tr("the server did not make the folder: %1"), reply.Told());
    return {};
  }
  selectable_.insert(node.storedName);
  return {};
}

std::string ImapDestination::BeginFolder(const OutputFolder& folder) {
  PlaceOf(folder);
  // No folder is selected again after a reconnection until this one is made.
  mailbox_.clear();
  mailboxShown_ = Shown(*claimed_);
  number_ = 0;
  folderProblem_.clear();
  for (FolderTree::Node* node : unmade_) {
    if (std::string problem = MakeMailbox(*node); !problem.empty()) return problem;
    if (!folderProblem_.empty()) break;
  }
  unmade_.clear();
  if (!folderProblem_.empty()) return {};
  mailbox_ = claimed_->storedName;
  mailboxExisted_ = existing_.contains(mailbox_);
  return SelectCurrent();
}

// Selected for its UIDVALIDITY, which the journal's UIDs hold for, and its count.
std::string ImapDestination::SelectCurrent() {
  MailboxState state;
  ImapReply reply = SelectMailbox(*client_, mailbox_, state);
  if (reply.status == ImapReply::Status::kLost) {
    std::string problem;
    if (!Reconnect(reply.text, problem)) return problem;
    reply = SelectMailbox(*client_, mailbox_, state);
  }
  if (!reply.Ok()) {
    folderProblem_ = Format(Tr("the server did not open the folder: %1"), reply.Told());
    return {};
  }
  serverCount_ = state.exists;
  journal_.BeginFolder(mailbox_, state.uidValidity);
  claimedUids_ = journal_.KnownUids();
  return {};
}

void ImapDestination::NotStored(const ConvertedMessage& message, std::string why) {
  findings_.notStored.push_back({std::move(why), mailboxShown_, message.subject});
}

RunFindings ImapDestination::TakeFindings() {
  return std::exchange(findings_, {});
}

// Counted once it is dealt with, so that a connection lost while it goes is told as lost after
// the messages before it, and one lost between folders after all of them.
std::string ImapDestination::Add(const ConvertedMessage& message) {
  std::string problem = AddOne(message);
  ++seen_;
  return problem;
}

std::string ImapDestination::AddOne(const ConvertedMessage& message) {
  const std::size_t number = number_++;
  if (!folderProblem_.empty()) {
    NotStored(message, folderProblem_);
    return {};
  }
  const std::size_t size = message.text.size();
  if (const UploadJournal::Entry* entry = journal_.Find(number);
      entry != nullptr && entry->stored && entry->size == size) {
    ++alreadyThere_;
    return {};
  }
  std::string problem;
  // A message the journal does not know may be there all the same: sent by a run that was
  // cut off before it heard back, or by a run without the journal.
  const UploadJournal::Entry* sent = journal_.Find(number);
  const bool mayBeThere =
      mailboxExisted_ && (sent != nullptr || serverCount_ > journal_.StoredCount());
  if (mayBeThere) {
    // What was sent ahead is answered first, so that the search sees it.
    if (!SettleAll(problem)) return problem;
    if (FoundOnServer(message, number, problem)) {
      ++alreadyThere_;
      return {};
    }
    if (!problem.empty()) return problem;
  }
  if (appendLimit_ && size > *appendLimit_) {
    // Those on their way are told first, so that the report keeps the export's order.
    if (!SettleAll(problem)) return problem;
    NotStored(message, Format(Tr("larger (%1 bytes) than the server takes (%2 bytes)"), size,
                              *appendLimit_));
    return {};
  }
  return SendOne(message, number, problem) ? std::string() : problem;
}

std::optional<std::int64_t> ImapDestination::InternalTime(const ConvertedMessage& message) {
  std::optional<std::int64_t> time = MessageTime(message);
  if (time && (*time < kFirstDate || *time > kLastDate)) time.reset();
  return time;
}

bool ImapDestination::JournalSending(std::size_t number, std::size_t size, std::string& problem) {
  if (!journal_.IsOpen() || journal_.Sending(number, size)) return true;
  problem = JournalUnwritten();
  return false;
}

// Sent ahead where the server lets a message go without its "+", so that a far server's
// round trips overlap; its answer is read once enough are on their way.
bool ImapDestination::SendOne(const ConvertedMessage& message, std::size_t number,
                              std::string& problem) {
  const AppendCommand command(*client_, mailbox_, message.text, InternalTime(message));
  if (!command.Refusal().empty()) {
    if (!SettleAll(problem)) return false;
    NotStored(message, Refused(command.Refusal()));
    return true;
  }
  if (!client_->CanSendAhead(command.Arguments())) return StoreOne(message, number, problem);
  if (!JournalSending(number, message.text.size(), problem)) return false;
  ImapReply failure;
  const std::string tag = client_->SendAhead(command.Arguments(), failure);
  pending_.push_back({tag, number, message});
  pendingBytes_ += message.text.size();
  if (tag.empty()) return Recover(failure.text, problem);
  while (pending_.size() > kMessagesAhead || pendingBytes_ > kBytesAhead) {
    if (!SettleOldest(problem)) return false;
  }
  return true;
}

bool ImapDestination::Settled(const Pending& pending, const ImapReply& reply,
                              std::string& problem) {
  if (!reply.Ok()) {
    NotStored(pending.message, Refused(reply.Told()));
    return true;
  }
  ++stored_;
  const std::uint32_t uid = AppendedUid(reply);
  if (uid != 0) claimedUids_.insert(uid);
  if (!journal_.IsOpen() || journal_.Stored(pending.number, pending.message.text.size(), uid))
    return true;
  problem = JournalUnwritten();
  return false;
}

bool ImapDestination::SettleOldest(std::string& problem) {
  const ImapReply reply = client_->AnswerTo(pending_.front().tag);
  if (reply.status == ImapReply::Status::kLost) return Recover(reply.text, problem);
  const Pending pending = std::move(pending_.front());
  pending_.pop_front();
  pendingBytes_ -= pending.message.text.size();
  return Settled(pending, reply, problem);
}

bool ImapDestination::SettleAll(std::string& problem) {
  while (!pending_.empty()) {
    if (!SettleOldest(problem)) return false;
  }
  return true;
}

// The connection went with messages on their way: each may or may not have been stored, so
// each is looked for once connected again, and sent again where it is not there.
bool ImapDestination::Recover(const std::string& why, std::string& problem) {
  std::deque<Pending> uncertain = std::exchange(pending_, {});
  pendingBytes_ = 0;
  if (!Reconnect(why, problem)) return false;
  for (const Pending& pending : uncertain) {
    if (FoundOnServer(pending.message, pending.number, problem)) {
      ++stored_;
      continue;
    }
    if (!problem.empty() || !StoreOne(pending.message, pending.number, problem)) return false;
  }
  return true;
}

// Sought by its Message-ID, or by its Date where it has none, and its exact size; a UID that
// another message of this folder was found as does not count again.
bool ImapDestination::FoundOnServer(const ConvertedMessage& message, std::size_t number,
                                    std::string& problem) {
  std::string field = "Message-ID";
  std::string value = HeaderValue(message.text, field);
  if (value.empty()) {
    field = "Date";
    value = HeaderValue(message.text, field);
  }
  if (value.empty()) return false;
  std::vector<std::uint32_t> uids;
  ImapReply reply = SearchMessages(*client_, field, value, message.text.size(), uids);
  if (reply.status == ImapReply::Status::kLost) {
    if (!Reconnect(reply.text, problem)) return false;
    reply = SearchMessages(*client_, field, value, message.text.size(), uids);
  }
  if (!reply.Ok()) return false;
  for (const std::uint32_t uid : uids) {
    if (claimedUids_.insert(uid).second) {
      journal_.Stored(number, message.text.size(), uid);
      return true;
    }
  }
  return false;
}

// Sent and awaited, again after a lost connection until it is there.
bool ImapDestination::StoreOne(const ConvertedMessage& message, std::size_t number,
                               std::string& problem) {
  const std::size_t size = message.text.size();
  const std::optional<std::int64_t> time = InternalTime(message);
  if (!JournalSending(number, size, problem)) return false;
  for (;;) {
    std::uint32_t uid = 0;
    const ImapReply reply = AppendMessage(*client_, mailbox_, message.text, time, uid);
    if (reply.Ok()) {
      ++stored_;
      if (uid != 0) claimedUids_.insert(uid);
      if (journal_.IsOpen() && !journal_.Stored(number, size, uid)) {
        problem = JournalUnwritten();
        return false;
      }
      return true;
    }
    if (reply.status != ImapReply::Status::kLost) {
      NotStored(message, Refused(reply.Told()));
      return true;
    }
    // The server may have stored it before the connection went.
    if (!Reconnect(reply.text, problem)) return false;
    if (FoundOnServer(message, number, problem)) {
      ++stored_;
      return true;
    }
    if (!problem.empty()) return false;
  }
}

// False when the run was asked to stop meanwhile.
bool ImapDestination::Pause(std::chrono::milliseconds pause) {
  std::mutex mutex;
  std::condition_variable_any wakeUp;
  std::unique_lock lock(mutex);
  wakeUp.wait_for(lock, stop_, pause, [] { return false; });
  return !stop_.stop_requested();
}

bool ImapDestination::Reconnect(std::string why, std::string& problem) {
  client_.reset();
  for (const std::chrono::milliseconds pause : pauses_) {
    if (!Pause(pause)) {
      problem = StoppedText();
      return false;
    }
    OpenedAccount opened = OpenAccount(*account_, access_, network_);
    if (opened.client == nullptr) {
      why = opened.problem;
      if (!opened.retryable) break;
      continue;
    }
    client_ = std::move(opened.client);
    if (mailbox_.empty()) return true;
    MailboxState state;
    const ImapReply reply = SelectMailbox(*client_, mailbox_, state);
    if (reply.Ok()) {
      if (state.uidValidity != 0) journal_.BeginFolder(mailbox_, state.uidValidity);
      return true;
    }
    why = reply.Told();
    client_.reset();
  }
  problem = LostLine(why);
  rerunTold_ = true;
  return false;
}

// The form is chosen by the messages dealt with; German tells the count stored in a way that
// needs no form of its own.
std::string ImapDestination::LostLine(const std::string& why) const {
  if (why.empty()) {
    return Format(TrN("the connection to %1 was lost after %2 message; %3 were stored in this run. "
                      "Run the same command again to store the rest: nothing is stored twice.",
                      "the connection to %1 was lost after %2 messages; %3 were stored in this "
                      "run. Run the same command again to store the rest: nothing is stored twice.",
                      seen_),
                  AccountName(*account_), seen_, stored_);
  }
  return Format(TrN("the connection to %1 was lost (%2) after %3 message; %4 were stored in this "
                    "run. Run the same command again to store the rest: nothing is stored twice.",
                    "the connection to %1 was lost (%2) after %3 messages; %4 were stored in this "
                    "run. Run the same command again to store the rest: nothing is stored twice.",
                    seen_),
                AccountName(*account_), why, seen_, stored_);
}

std::string ImapDestination::EndFolder() {
  std::string problem;
  return SettleAll(problem) ? std::string() : problem;
}

std::string ImapDestination::Finish() {
  if (std::string problem; !SettleAll(problem)) return problem;
  if (client_ != nullptr) client_->Command("LOGOUT");
  client_.reset();
  journal_.Close();
  return {};
}

// Two counts: the form is chosen by the one stored, and the text by whether one was there
// already, which both languages tell apart the same way.
std::string ImapDestination::Note() const {
  if (alreadyThere_ == 0) {
    return Format(TrN("%1 message stored in %2.", "%1 messages stored in %2.", stored_), stored_,
                  address_);
  }
  const std::string_view note =
      alreadyThere_ == 1 ? TrN("%1 message stored in %2, %3 was there already.",
                               "%1 messages stored in %2, %3 was there already.", stored_)
                         : TrN("%1 message stored in %2, %3 were there already.",
                               "%1 messages stored in %2, %3 were there already.", stored_);
  return Format(note, stored_, address_, alreadyThere_);
}

std::string ImapDestination::Abandon() {
  // What is on its way is heard out, so that the journal says what the server took.
  while (client_ != nullptr && !pending_.empty()) {
    const ImapReply reply = client_->AnswerTo(pending_.front().tag);
    if (reply.status == ImapReply::Status::kLost) break;
    std::string ignored;
    Settled(pending_.front(), reply, ignored);
    pending_.pop_front();
  }
  pending_.clear();
  pendingBytes_ = 0;
  if (client_ != nullptr) client_->Command("LOGOUT");
  client_.reset();
  journal_.Close();
  if (stored_ == 0 || rerunTold_) return {};
  return Format(TrN(" What was stored so far (%1 message) stays in the account; running the same "
                    "command again stores the rest.",
                    " What was stored so far (%1 messages) stays in the account; running the same "
                    "command again stores the rest.",
                    stored_),
                stored_);
}

}  // namespace vandrel
