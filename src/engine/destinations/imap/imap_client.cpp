#include "engine/destinations/imap/imap_client.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "mime/ascii.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

constexpr std::size_t kReceiveChunk = 64 * 1024;
// LITERAL- lets a client send literals up to this size without waiting.
constexpr std::size_t kLiteralMinusLimit = 4096;

ImapReply::Status StatusOf(const std::string& name) {
  if (name == "OK" || name == "PREAUTH") return ImapReply::Status::kOk;
  if (name == "NO") return ImapReply::Status::kNo;
  if (name == "BAD") return ImapReply::Status::kBad;
  return ImapReply::Status::kLost;
}

}  // namespace

std::string ImapReply::Told() const {
  std::string told = code.empty() ? text : "[" + code + "] " + text;
  return told.empty() ? std::string(Tr("(the server gave no reason)")) : told;
}

std::string ImapQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

ImapClient::ImapClient(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

void ImapClient::Interrupt() {
  const std::lock_guard lock(connectionMutex_);
  interrupted_ = true;
  if (connection_ != nullptr) connection_->Interrupt();
}

ImapReply ImapClient::Lost(std::string why) {
  // A BYE before the close says why in the server's words; the close itself says less.
  if (!lost_ && lostWhy_.empty()) lostWhy_ = std::move(why);
  lost_ = true;
  return {ImapReply::Status::kLost, {}, lostWhy_};
}

bool ImapClient::SendRaw(std::string_view bytes, std::string& error) {
  return connection_->Send(bytes, error);
}

ImapClient::Read ImapClient::ReadResponse(ImapResponse& response, std::string& error) {
  for (;;) {
    std::size_t consumed = 0;
    switch (ParseImapResponse(buffer_, response, consumed, error)) {
      case ImapParse::kComplete:
        buffer_.erase(0, consumed);
        return Read::kResponse;
      case ImapParse::kMalformed:
        return Read::kLost;
      case ImapParse::kIncomplete:
        break;
    }
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kReceiveChunk);
    const std::ptrdiff_t got = connection_->Receive(buffer_.data() + had, kReceiveChunk, error);
    buffer_.resize(had + static_cast<std::size_t>(std::max<std::ptrdiff_t>(got, 0)));
    if (got == 0) error = Tr("the server closed the connection");
    if (got <= 0) return Read::kLost;
  }
}

void ImapClient::NoteCapabilities(const ImapResponse& response) {
  std::vector<std::string> words;
  if (response.name == "CAPABILITY") {
    for (const ImapValue& value : response.values)
      words.push_back(value.text);
  } else if (response.IsStatus() && mime::ToUpperAscii(response.code).starts_with("CAPABILITY ")) {
    words = ImapWords(response.code);
    words.erase(words.begin());
  } else {
    return;
  }
  capabilities_.clear();
  for (const std::string& word : words)
    capabilities_.insert(mime::ToUpperAscii(word));
}

ImapReply ImapClient::Greeting() {
  ImapResponse response;
  std::string error;
  if (ReadResponse(response, error) != Read::kResponse) return Lost(error);
  if (response.kind != ImapResponse::Kind::kUntagged || !response.IsStatus())
    return Lost(std::string(Tr("the server did not greet as an IMAP server does")));
  NoteCapabilities(response);
  ImapReply reply{StatusOf(response.name), response.code, response.text};
  if (response.name == "BYE") reply.status = ImapReply::Status::kNo;
  return reply;
}

ImapReply ImapClient::AwaitTagged() {
  for (;;) {
    ImapResponse response;
    std::string error;
    if (ReadResponse(response, error) != Read::kResponse) return Lost(error);
    NoteCapabilities(response);
    if (response.kind == ImapResponse::Kind::kContinuation)
      return {ImapReply::Status::kContinue, {}, response.text};
    if (response.kind == ImapResponse::Kind::kTagged) {
      ImapReply reply{StatusOf(response.name), response.code, response.text};
      if (response.tag == pendingTag_) {
        pendingTag_.clear();
        return reply;
      }
      // The answer to a command sent ahead, kept for when it is asked for.
      if (sentAhead_.erase(response.tag) == 0)
        return Lost(std::string(Tr("the server answered a command not sent")));
      answered_[response.tag] = std::move(reply);
      continue;
    }
    // The server says why before it closes; the reply tells that rather than the closing.
    if (response.name == "BYE") lostWhy_ = response.text;
    untagged_.push_back(std::move(response));
  }
}

bool ImapClient::Quotable(std::string_view bytes) const {
  if (bytes.size() > 1000) return false;
  return std::none_of(bytes.begin(), bytes.end(), [this](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0 || c == '\r' || c == '\n' || (byte >= 0x80 && !utf8_);
  });
}

void ImapClient::AppendLiteral(std::string& pending, const ImapArgument& argument, bool& mustWait) {
  const std::size_t size = argument.bytes.size();
  const bool noWait = Has("LITERAL+") || (Has("LITERAL-") && size <= kLiteralMinusLimit);
  if (argument.kind == ImapArgument::Kind::kBinary) pending += '~';
  pending += "{" + std::to_string(size) + (noWait ? "+}\r\n" : "}\r\n");
  mustWait = !noWait;
}

ImapReply ImapClient::SendArguments(const std::vector<ImapArgument>& command, bool await) {
  std::string pending = pendingTag_ + " ";
  std::string error;
  for (const ImapArgument& argument : command) {
    if (argument.kind == ImapArgument::Kind::kText) {
      pending += argument.bytes;
      continue;
    }
    if (argument.kind == ImapArgument::Kind::kString && Quotable(argument.bytes)) {
      pending += ImapQuoted(argument.bytes);
      continue;
    }
    bool mustWait = false;
    AppendLiteral(pending, argument, mustWait);
    if (!SendRaw(pending, error)) return Lost(error);
    pending.clear();
    if (mustWait) {
      const ImapReply reply = AwaitTagged();
      if (reply.status != ImapReply::Status::kContinue) return reply;
    }
    if (!SendRaw(argument.bytes, error)) return Lost(error);
  }
  pending += "\r\n";
  if (!SendRaw(pending, error)) return Lost(error);
  if (!await) return {ImapReply::Status::kOk, {}, {}};
  return AwaitTagged();
}

ImapReply ImapClient::Command(const std::vector<ImapArgument>& command) {
  if (lost_) return Lost({});
  untagged_.clear();
  pendingTag_ = "V" + std::to_string(nextTag_++);
  return SendArguments(command, true);
}

bool ImapClient::CanSendAhead(const std::vector<ImapArgument>& command) const {
  return std::all_of(command.begin(), command.end(), [this](const ImapArgument& argument) {
    const bool literal =
        argument.kind == ImapArgument::Kind::kLiteral ||
        argument.kind == ImapArgument::Kind::kBinary ||
        (argument.kind == ImapArgument::Kind::kString && !Quotable(argument.bytes));
    return !literal || Has("LITERAL+") ||
           (Has("LITERAL-") && argument.bytes.size() <= kLiteralMinusLimit);
  });
}

std::string ImapClient::SendAhead(const std::vector<ImapArgument>& command, ImapReply& failure) {
  if (lost_) {
    failure = Lost({});
    return {};
  }
  pendingTag_ = "V" + std::to_string(nextTag_++);
  failure = SendArguments(command, false);
  std::string tag = std::exchange(pendingTag_, {});
  if (!failure.Ok()) return {};
  sentAhead_.insert(tag);
  return tag;
}

ImapReply ImapClient::AnswerTo(const std::string& tag) {
  untagged_.clear();
  if (const auto answer = answered_.find(tag); answer != answered_.end()) {
    ImapReply reply = std::move(answer->second);
    answered_.erase(answer);
    return reply;
  }
  if (lost_ || sentAhead_.erase(tag) == 0) return Lost({});
  pendingTag_ = tag;
  const ImapReply reply = AwaitTagged();
  if (reply.status == ImapReply::Status::kContinue)
    return Lost(std::string(Tr("the server asked for more of a command sent whole")));
  return reply;
}

ImapReply ImapClient::Answer(std::string_view line) {
  if (lost_) return Lost({});
  std::string error;
  if (!SendRaw(std::string(line) + "\r\n", error)) return Lost(error);
  return AwaitTagged();
}

ImapReply ImapClient::StartTls(
    const std::function<std::unique_ptr<Connection>(std::unique_ptr<Connection>, std::string&)>&
        startTls) {
  ImapReply reply = Command("STARTTLS");
  if (!reply.Ok()) return reply;
  // Bytes that came in the clear after the OK would pass for the server's words under TLS.
  if (!buffer_.empty())
    return Lost(std::string(Tr("the server sent more than its answer to STARTTLS")));
  std::string error;
  std::unique_ptr<Connection> tls;
  {
    std::unique_lock lock(connectionMutex_);
    if (interrupted_) return Lost(std::string(Tr("stopped")));
    std::unique_ptr<Connection> plain = std::move(connection_);
    lock.unlock();
    tls = startTls(std::move(plain), error);
    lock.lock();
    connection_ = std::move(tls);
    if (connection_ != nullptr && interrupted_) connection_->Interrupt();
  }
  if (connection_ == nullptr) {
    lost_ = true;
    lostWhy_ = error;
    return {ImapReply::Status::kLost, {}, error};
  }
  capabilities_.clear();
  return RefreshCapabilities();
}

ImapReply ImapClient::RefreshCapabilities() {
  return Command("CAPABILITY");
}

bool ImapClient::Has(std::string_view capability) const {
  return capabilities_.count(mime::ToUpperAscii(capability)) != 0;
}

std::optional<std::string> ImapClient::CapabilityValue(std::string_view name) const {
  const std::string prefix = mime::ToUpperAscii(name) + "=";
  for (const std::string& capability : capabilities_) {
    if (capability.starts_with(prefix)) return capability.substr(prefix.size());
  }
  return std::nullopt;
}

}  // namespace vandrel
