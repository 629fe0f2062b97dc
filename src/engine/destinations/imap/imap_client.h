// One IMAP connection as the upload uses it: commands sent with a tag, answered by the server's
// tagged reply, with the untagged responses in between kept for the caller. The client speaks
// only what an upload needs (RFC 3501 with LITERAL+, SASL-IR, UIDPLUS, APPENDLIMIT, ENABLE and
// UTF8=ACCEPT, BINARY).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/destinations/imap/imap_response.h"
#include "engine/network/connection.h"

namespace vandrel {

struct ImapReply {
  enum class Status {
    kOk,
    kNo,        // the server refused
    kBad,       // the server did not understand
    kLost,      // the connection failed or the server said BYE: `text` says why
    kContinue,  // the server asks for more (an SASL challenge in `text`): Answer it
  };
  Status status = Status::kLost;
  std::string code;  // the response code, as "APPENDUID 38505 3955"
  std::string text;  // the server's own words

  bool Ok() const { return status == Status::kOk; }
  // The server's words with its code, as an error line tells them.
  std::string Told() const;
};

// A piece of a command: plain text, a string the client sends quoted or as a literal, or one
// that must be a literal (a message), which BINARY's literal8 may carry with NULs.
struct ImapArgument {
  enum class Kind { kText, kString, kLiteral, kBinary };
  Kind kind = Kind::kText;
  std::string_view bytes;
};

class ImapClient {
 public:
  explicit ImapClient(std::unique_ptr<Connection> connection);

  // The server's first line: OK and PREAUTH are fine, BYE is not.
  ImapReply Greeting();
  ImapReply Command(const std::vector<ImapArgument>& command);
  ImapReply Command(std::string_view text) { return Command({{ImapArgument::Kind::kText, text}}); }
  // STARTTLS, then TLS over the connection; the capabilities are asked again.
  ImapReply StartTls(const std::function<std::unique_ptr<Connection>(std::unique_ptr<Connection>,
                                                                     std::string&)>& startTls);
  // The capabilities the server announced last; asked for when it announced none.
  ImapReply RefreshCapabilities();
  bool Has(std::string_view capability) const;
  // The value of "NAME=VALUE" (APPENDLIMIT=...), when announced.
  std::optional<std::string> CapabilityValue(std::string_view name) const;
  // Commands sent ahead, without waiting for their answers, so that the time to the server and
  // back is not paid for each: only where no literal of theirs needs the server's "+" first.
  bool CanSendAhead(const std::vector<ImapArgument>& command) const;
  // The command's tag; empty, with the failure, when it could not be sent.
  std::string SendAhead(const std::vector<ImapArgument>& command, ImapReply& failure);
  // The answer to a command sent ahead, in any order.
  ImapReply AnswerTo(const std::string& tag);
  // Answers a kContinue reply with one line, then awaits the command's reply again.
  ImapReply Answer(std::string_view line);
  // Strings go as UTF-8 quoted strings once the server enabled UTF8=ACCEPT.
  void SetUtf8(bool enabled) { utf8_ = enabled; }
  bool Utf8() const { return utf8_; }

  // The untagged responses of the last command.
  const std::vector<ImapResponse>& Untagged() const { return untagged_; }
  // Makes a blocked send or receive return at once; from any thread.
  void Interrupt();

 private:
  enum class Read { kResponse, kLost };
  Read ReadResponse(ImapResponse& response, std::string& error);
  ImapReply AwaitTagged();
  bool SendRaw(std::string_view bytes, std::string& error);
  ImapReply SendArguments(const std::vector<ImapArgument>& command, bool await);
  void AppendLiteral(std::string& pending, const ImapArgument& argument, bool& mustWait);
  ImapReply Lost(std::string why);
  void NoteCapabilities(const ImapResponse& response);
  bool Quotable(std::string_view bytes) const;

  std::unique_ptr<Connection> connection_;
  std::string buffer_;  // received, not parsed yet
  std::set<std::string> capabilities_;
  std::vector<ImapResponse> untagged_;
  std::string pendingTag_;
  std::set<std::string> sentAhead_;            // not answered yet
  std::map<std::string, ImapReply> answered_;  // answered, not asked for yet
  std::mutex connectionMutex_;                 // Interrupt against the TLS handover
  bool interrupted_ = false;
  unsigned nextTag_ = 1;
  bool utf8_ = false;
  bool lost_ = false;
  std::string lostWhy_;
};

// Quotes an astring for a command: the bytes between double quotes with "\" and """ escaped.
std::string ImapQuoted(std::string_view text);

}  // namespace vandrel
