// The mailbox commands of an upload, on a signed-in client: the hierarchy separator, what is
// there already, making folders, choosing one, storing a message in it and looking for one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/destinations/imap/imap_client.h"

namespace vandrel {

struct ListedMailbox {
  std::string name;  // as the server sends it (modified UTF-7 unless UTF8=ACCEPT is on)
  bool noSelect = false;
};

struct MailboxState {
  std::uint32_t exists = 0;
  std::uint32_t uidValidity = 0;
};

// The separator of the personal namespace; '\0' when the server keeps its folders flat.
ImapReply HierarchySeparator(ImapClient& client, char& separator);
// LIST "" `pattern`.
ImapReply ListMailboxes(ImapClient& client, std::string_view pattern,
                        std::vector<ListedMailbox>& mailboxes);
// A mailbox that exists already is fine.
ImapReply CreateMailbox(ImapClient& client, std::string_view name);
ImapReply SelectMailbox(ImapClient& client, std::string_view name, MailboxState& state);

// APPEND without flags (the message is unread), dated `time` when there is one. It refers to
// the mailbox and the text, which must outlive it.
class AppendCommand {
 public:
  AppendCommand(const ImapClient& client, std::string_view mailbox, std::string_view text,
                std::optional<std::int64_t> time);
  // Why the server cannot take the message as it is; empty when it can.
  const std::string& Refusal() const { return refusal_; }
  std::vector<ImapArgument> Arguments() const;

 private:
  std::string_view mailbox_;
  std::string_view text_;
  std::string date_;
  bool binary_ = false;
  std::string refusal_;
};

// The UID the server's APPENDUID gave a stored message, else 0.
std::uint32_t AppendedUid(const ImapReply& reply);

// The APPEND, awaited. `uid` is what the server's APPENDUID gave, else 0.
ImapReply AppendMessage(ImapClient& client, std::string_view mailbox, std::string_view text,
                        std::optional<std::int64_t> time, std::uint32_t& uid);

// UID SEARCH for messages of exactly `size` bytes whose header `field` holds `value`.
ImapReply SearchMessages(ImapClient& client, std::string_view field, std::string_view value,
                         std::size_t size, std::vector<std::uint32_t>& uids);

// An IMAP date-time, "08-Dec-2026 10:00:00 +0000", of seconds since 1970 UTC.
std::string InternalDate(std::int64_t time);

}  // namespace vandrel
