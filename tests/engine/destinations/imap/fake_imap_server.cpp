#include "destinations/imap/fake_imap_server.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include "mime/ascii.h"

namespace vandrel {

struct FakeImapServer::State {
  std::mutex mutex;
  FakeImapOptions options;
  std::map<std::string, FakeImapMailbox> mailboxes;
  std::vector<FakeImapReceived> received;
  std::vector<std::string> clientFaults;
  int sessions = 0;
  int logins = 0;
  int appends = 0;
  int commands = 0;
  bool dropped = false;
};

namespace {

using State = FakeImapServer::State;

constexpr std::size_t kLiteralMinusLimit = 4096;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kBase64[(group >> 18) & 63];
    out += kBase64[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kBase64[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kBase64[group & 63] : '=';
  }
  return out;
}

std::optional<std::string> FromBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t group = 0;
    int padding = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      if (c == '=' && i + 4 == text.size() && j >= 2) {
        ++padding;
        group <<= 6;
        continue;
      }
      const std::size_t value = kBase64.find(c);
      if (value == std::string_view::npos || padding > 0) return std::nullopt;
      group = (group << 6) | static_cast<std::uint32_t>(value);
    }
    out += static_cast<char>((group >> 16) & 255);
    if (padding < 2) out += static_cast<char>((group >> 8) & 255);
    if (padding < 1) out += static_cast<char>(group & 255);
  }
  return out;
}

bool IsAtomChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte < 0x7F && std::strchr("(){ %*\"\\]", c) == nullptr;
}

std::optional<std::uint64_t> Number(std::string_view text) {
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// "{N}", "{N+}", "~{N}" or "~{N+}" at the end of a line.
struct LiteralMark {
  std::size_t at = 0;  // where it starts in the line
  std::uint64_t size = 0;
  bool nonSynchronizing = false;
  bool binary = false;
};

std::optional<LiteralMark> LiteralAtEnd(std::string_view line) {
  if (line.empty() || line.back() != '}') return std::nullopt;
  const std::size_t open = line.rfind('{');
  if (open == std::string_view::npos) return std::nullopt;
  LiteralMark mark;
  std::string_view digits = line.substr(open + 1, line.size() - open - 2);
  if (!digits.empty() && digits.back() == '+') {
    mark.nonSynchronizing = true;
    digits.remove_suffix(1);
  }
  const std::optional<std::uint64_t> size = Number(digits);
  if (!size) return std::nullopt;
  mark.size = *size;
  mark.at = open;
  if (open > 0 && line[open - 1] == '~') {
    mark.binary = true;
    mark.at = open - 1;
  }
  return mark;
}

// A command's pieces: its lines (each but the last ending in a literal's mark) and the
// literals' bytes between them.
struct Piece {
  bool literal = false;
  std::string bytes;
};

struct Token {
  enum class Kind { kAtom, kString, kList };
  Kind kind = Kind::kAtom;
  std::string text;
  bool literal = false;
  bool binary = false;
  std::vector<Token> items;
};

// Splits a command into its tokens, strictly: one space between them, nothing the grammar
// does not allow.
class Tokenizer {
 public:
  Tokenizer(const std::vector<Piece>& pieces, bool utf8) : pieces_(pieces), utf8_(utf8) {}

  bool Tokens(std::vector<Token>& tokens, std::string& fault) {
    if (!Sequence(tokens, false)) {
      fault = fault_;
      return false;
    }
    return true;
  }

 private:
  const std::string& Text() const { return pieces_[piece_].bytes; }
  bool AtEnd() const { return at_ >= Text().size(); }
  char Peek() const { return Text()[at_]; }
  bool Fail(std::string why) {
    if (fault_.empty()) fault_ = std::move(why);
    return false;
  }

  bool Sequence(std::vector<Token>& tokens, bool inList) {
    for (bool first = true;; first = false) {
      if (inList && !AtEnd() && Peek() == ')') {
        ++at_;
        return true;
      }
      if (AtEnd()) return inList ? Fail("a list without \")\"") : true;
      if (!first) {
        if (Peek() != ' ') return Fail("a space missing between arguments");
        if (++at_, AtEnd() || Peek() == ' ' || Peek() == ')') return Fail("a stray space");
      }
      Token token;
      if (!One(token)) return false;
      tokens.push_back(std::move(token));
    }
  }

  bool One(Token& token) {
    const char c = Peek();
    if (c == '(') {
      ++at_;
      token.kind = Token::Kind::kList;
      return Sequence(token.items, true);
    }
    if (c == '"') return Quoted(token);
    if (c == '{' || (c == '~' && at_ + 1 < Text().size() && Text()[at_ + 1] == '{'))
      return Literal(token);
    const std::size_t start = at_;
    while (!AtEnd() && (IsAtomChar(Peek()) || Peek() == '%' || Peek() == '*' || Peek() == '\\' ||
                        Peek() == ']'))
      ++at_;
    if (at_ == start) return Fail("an unexpected character");
    token.text = Text().substr(start, at_ - start);
    return true;
  }

  bool Quoted(Token& token) {
    token.kind = Token::Kind::kString;
    for (++at_;; ++at_) {
      if (AtEnd()) return Fail("a line ends inside a quoted string");
      char c = Peek();
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c == '\\') {
        if (++at_, AtEnd()) return Fail("a line ends inside a quoted string");
        c = Peek();
        if (c != '"' && c != '\\') return Fail("a quoted string escapes what needs no escape");
      } else if (c == '\0') {
        return Fail("a NUL in a quoted string");
      } else if (static_cast<unsigned char>(c) >= 0x80 && !utf8_) {
        return Fail("8-bit bytes in a quoted string without UTF8=ACCEPT");
      }
      token.text += c;
    }
  }

  bool Literal(Token& token) {
    const std::optional<LiteralMark> mark = LiteralAtEnd(Text());
    if (!mark || mark->at != at_ || piece_ + 1 >= pieces_.size())
      return Fail("a literal's size not at the end of its line");
    token.kind = Token::Kind::kString;
    token.literal = true;
    token.binary = mark->binary;
    token.text = pieces_[piece_ + 1].bytes;
    piece_ += 2;
    at_ = 0;
    return true;
  }

  const std::vector<Piece>& pieces_;
  bool utf8_;
  std::size_t piece_ = 0;
  std::size_t at_ = 0;
  std::string fault_;
};

bool Matches(std::string_view pattern, std::string_view name, char separator) {
  if (pattern.empty()) return name.empty();
  const char c = pattern.front();
  if (c == '*' || c == '%') {
    for (std::size_t taken = 0; taken <= name.size(); ++taken) {
      if (Matches(pattern.substr(1), name.substr(taken), separator)) return true;
      if (taken < name.size() && c == '%' && name[taken] == separator) return false;
    }
    return false;
  }
  return !name.empty() && name.front() == c &&
         Matches(pattern.substr(1), name.substr(1), separator);
}

// The values of a header field, unfolded, in the message's header.
std::vector<std::string> HeaderValues(std::string_view text, std::string_view field) {
  std::vector<std::string> values;
  std::string unfolded;
  std::size_t at = 0;
  std::vector<std::string> lines;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    if (line.empty()) break;
    if ((line.front() == ' ' || line.front() == '\t') && !lines.empty()) {
      lines.back() += line;
    } else {
      lines.emplace_back(line);
    }
  }
  const std::string wanted = Lower(field);
  for (const std::string& line : lines) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
      name.pop_back();
    if (Lower(name) != wanted) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    values.push_back(value);
  }
  return values;
}

bool IsSystemFlag(const std::string& flag) {
  static const std::set<std::string> kFlags = {"\\SEEN", "\\ANSWERED", "\\FLAGGED", "\\DELETED",
                                               "\\DRAFT"};
  return kFlags.count(mime::ToUpperAscii(flag)) != 0;
}

// "dd-Mon-yyyy hh:mm:ss +zzzz", the day maybe with a space for its first digit.
bool IsDateTime(std::string_view text) {
  static const std::set<std::string, std::less<>> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text.size() != 26) return false;
  const auto digit = [&](std::size_t i) {
    return std::isdigit(static_cast<unsigned char>(text[i])) != 0;
  };
  return (text[0] == ' ' || digit(0)) && digit(1) && text[2] == '-' &&
         kMonths.count(text.substr(3, 3)) != 0 && text[6] == '-' && digit(7) && digit(8) &&
         digit(9) && digit(10) && text[11] == ' ' && digit(12) && digit(13) && text[14] == ':' &&
         digit(15) && digit(16) && text[17] == ':' && digit(18) && digit(19) && text[20] == ' ' &&
         (text[21] == '+' || text[21] == '-') && digit(22) && digit(23) && digit(24) && digit(25);
}

// Modified UTF-7 as RFC 3501 has it: "&" opens a base64 run that "-" ends.
bool IsModifiedUtf7(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x80) return false;
    if (name[i] != '&') continue;
    const std::size_t end = name.find('-', i);
    if (end == std::string_view::npos) return false;
    for (std::size_t j = i + 1; j < end; ++j) {
      if (!std::isalnum(static_cast<unsigned char>(name[j])) && name[j] != '+' && name[j] != ',')
        return false;
    }
    i = end;
  }
  return true;
}

class Session final : public Connection {
 public:
  Session(std::shared_ptr<State> state, bool tls) : state_(std::move(state)), tls_(tls) {
    const std::lock_guard lock(state_->mutex);
    id_ = ++state_->sessions;
    const FakeImapOptions& options = state_->options;
    Untagged(options.capabilitiesInGreeting
                 ? "OK [CAPABILITY " + Capabilities() + "] Dovecot ready."
                 : "OK Dovecot ready.");
  }

  bool Send(std::string_view bytes, std::string& error) override {
    const std::lock_guard lock(state_->mutex);
    if (interrupted_) {
      error = "interrupted";
      return false;
    }
    if (dead_) {
      error = "the connection was reset by the server";
      return false;
    }
    if (closed_) {
      error = "the server closed the connection";
      return false;
    }
    if (tlsExpected_) {
      // A TLS server takes this for a broken handshake and hangs up.
      Record(std::string(bytes), false);
      Fault("bytes sent in the clear after the OK to STARTTLS");
      closed_ = true;
      return true;
    }
    input_ += bytes;
    Process();
    return true;
  }

  std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) override {
    const std::lock_guard lock(state_->mutex);
    if (interrupted_) {
      error = "interrupted";
      return -1;
    }
    if (output_.empty()) {
      if (closed_ || dead_) return 0;
      error = "the fake IMAP server has nothing to send: it awaits a command";
      return -1;
    }
    const std::size_t size = std::min(room, output_.size());
    std::memcpy(buffer, output_.data(), size);
    output_.erase(0, size);
    received_ += size;
    return static_cast<std::ptrdiff_t>(size);
  }

  void Interrupt() override { interrupted_ = true; }

  // Under the server's lock.
  bool StartTls(std::string& error) {
    const std::lock_guard lock(state_->mutex);
    if (!tlsExpected_) {
      error = "the TLS handshake failed: the server did not expect it";
      return false;
    }
    if (!state_->options.tlsFailure.empty()) {
      error = state_->options.tlsFailure;
      return false;
    }
    if (!output_.empty()) {
      error = "the TLS handshake failed: bytes in the stream that are not TLS";
      return false;
    }
    tlsExpected_ = false;
    tls_ = true;
    return true;
  }

 private:
  enum class Phase { kNotAuthenticated, kAuthenticated, kSelected };

  struct Sasl {
    std::string tag;
    std::string mechanism;
    int step = 0;
    std::string user;
    bool failed = false;
  };

  // Bytes in, responses out: every whole command and SASL answer in the input.
  void Process() {
    while (!closed_ && !dead_) {
      if (literalLeft_ > 0) {
        if (input_.empty()) return;
        if (received_ < continuationEnd_)
          commandFault_ = "a literal sent before the server's \"+\"";
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(literalLeft_, input_.size()));
        pieces_.back().bytes.append(input_, 0, size);
        commandBytes_.append(input_, 0, size);
        input_.erase(0, size);
        literalLeft_ -= size;
        continue;
      }
      const std::size_t end = input_.find("\r\n");
      if (end == std::string::npos) return;
      std::string line = input_.substr(0, end);
      input_.erase(0, end + 2);
      if (sasl_) {
        Record(line + "\r\n", true);
        SaslAnswer(line);
        continue;
      }
      commandBytes_ += line + "\r\n";
      const std::optional<LiteralMark> mark = LiteralAtEnd(line);
      pieces_.push_back({false, line});
      if (!mark) {
        Execute();
        continue;
      }
      if (mark->nonSynchronizing) {
        const FakeImapOptions& options = state_->options;
        if (!options.literalPlus && !options.literalMinus) {
          commandFault_ = "a non-synchronizing literal, not offered";
        } else if (!options.literalPlus && mark->size > kLiteralMinusLimit) {
          commandFault_ = "[TOOBIG] a non-synchronizing literal over 4096 bytes under LITERAL-";
        }
      } else if (!RefuseBeforeLiteral(mark->size)) {
        Continuation("go ahead");
        continuationEnd_ = sent_;
      } else {
        continue;
      }
      pieces_.push_back({true, {}});
      literalLeft_ = mark->size;
    }
  }

  // A server may refuse a command at a synchronizing literal's size, before its bytes come.
  bool RefuseBeforeLiteral(std::uint64_t size) {
    std::vector<std::string> words;
    std::string_view first = pieces_.front().bytes;
    for (int i = 0; i < 2; ++i) {
      const std::size_t space = first.find(' ');
      words.emplace_back(first.substr(0, space));
      first = space == std::string_view::npos ? std::string_view() : first.substr(space + 1);
    }
    const FakeImapOptions& options = state_->options;
    std::string refusal;
    if (!commandFault_.empty()) {
      refusal = "BAD " + commandFault_;
      Fault(commandFault_);
    } else if (mime::ToUpperAscii(words[1]) == "APPEND" && options.appendLimit &&
               size > *options.appendLimit) {
      refusal = "NO [" + options.appendLimitCode + "] Message size exceeds the limit";
    } else {
      return false;
    }
    Record(commandBytes_, false);
    Tagged(words[0], refusal);
    EndCommand();
    return true;
  }

  void EndCommand() {
    pieces_.clear();
    commandBytes_.clear();
    commandFault_.clear();
    continuationEnd_ = 0;
  }

  void Execute() {
    Record(commandBytes_, false);
    std::vector<Token> tokens;
    std::string fault;
    Tokenizer(pieces_, utf8_).Tokens(tokens, fault);
    if (!commandFault_.empty()) fault = commandFault_;
    EndCommand();
    if (tokens.empty() || tokens[0].kind != Token::Kind::kAtom ||
        tokens[0].text.find('+') != std::string::npos) {
      Fault(fault.empty() ? "a command without a tag" : fault);
      Untagged("BAD Error in IMAP command received by server.");
      return;
    }
    const std::string tag = tokens[0].text;
    if (++state_->commands == state_->options.byeAtCommand) {
      Untagged("BYE " + state_->options.byeText);
      closed_ = true;
      return;
    }
    if (!fault.empty()) return Bad(tag, fault);
    if (tokens.size() < 2 || tokens[1].kind != Token::Kind::kAtom)
      return Bad(tag, "a tag without a command");
    const std::string name = mime::ToUpperAscii(tokens[1].text);
    std::vector<Token> args(tokens.begin() + 2, tokens.end());
    const bool binaryLiteral =
        std::any_of(args.begin(), args.end(), [](const Token& t) { return t.binary; });
    if (binaryLiteral && (!state_->options.binary || name != "APPEND"))
      return Bad(tag, "a literal8 where BINARY does not allow it");
    Dispatch(tag, name, args);
  }

  void Dispatch(const std::string& tag, const std::string& name, std::vector<Token>& args) {
    if (name == "CAPABILITY" && args.empty()) {
      Untagged("CAPABILITY " + Capabilities());
      return Tagged(tag, "OK Capability completed.");
    }
    if (name == "NOOP" && args.empty()) return Tagged(tag, "OK NOOP completed.");
    if (name == "LOGOUT" && args.empty()) {
      Untagged("BYE Logging out");
      Tagged(tag, "OK Logout completed.");
      closed_ = true;
      return;
    }
    if (name == "STARTTLS" && args.empty() && !tls_ && state_->options.startTls) {
      if (phase_ != Phase::kNotAuthenticated) return Bad(tag, "STARTTLS after login");
      Tagged(tag, "OK Begin TLS negotiation now.");
      Say(state_->options.afterStartTlsOk);
      tlsExpected_ = true;
      if (!input_.empty()) {
        Fault("a command sent behind STARTTLS, in the clear");
        input_.clear();
      }
      return;
    }
    if (name == "LOGIN" && args.size() == 2 && IsAstring(args[0]) && IsAstring(args[1])) {
      if (phase_ != Phase::kNotAuthenticated) return Bad(tag, "already logged in");
      if (PlaintextRefused(tag)) return;
      return LoggedIn(
          tag, args[0].text == state_->options.user && args[1].text == state_->options.password);
    }
    if (name == "AUTHENTICATE" && (args.size() == 1 || args.size() == 2) &&
        args[0].kind == Token::Kind::kAtom &&
        (args.size() == 1 || args[1].kind == Token::Kind::kAtom))
      return Authenticate(tag, args);
    if (name == "ENABLE" || name == "LIST" || name == "CREATE" || name == "SELECT" ||
        name == "EXAMINE" || name == "APPEND" || name == "UID" || name == "SEARCH") {
      if (phase_ == Phase::kNotAuthenticated) return Bad(tag, name + " before login");
      if (name == "ENABLE") return Enable(tag, args);
      if (name == "LIST") return List(tag, args);
      if (name == "CREATE") return Create(tag, args);
      if (name == "SELECT" || name == "EXAMINE") return Select(tag, name, args);
      if (name == "APPEND") return Append(tag, args);
      if (name == "SEARCH") return Search(tag, args, false);
      if (!args.empty() && mime::ToUpperAscii(args[0].text) == "SEARCH" &&
          args[0].kind == Token::Kind::kAtom) {
        args.erase(args.begin());
        return Search(tag, args, true);
      }
    }
    Bad(tag, "Unknown command or arguments: " + name);
  }

  static bool IsAstring(const Token& token) { return token.kind != Token::Kind::kList; }

  bool PlaintextRefused(const std::string& tag) {
    if (!state_->options.plaintextNeedsTls || tls_) return false;
    Untagged(
        "BAD [ALERT] Plaintext authentication not allowed without SSL/TLS, but your client did "
        "it anyway. If anyone was listening, the password was exposed.");
    Tagged(tag,
           "NO [PRIVACYREQUIRED] Plaintext authentication disallowed on non-secure "
           "(SSL/TLS) connections.");
    Fault("a password in the clear where the server disallows it");
    return true;
  }

  void LoggedIn(const std::string& tag, bool accepted) {
    const FakeImapOptions& options = state_->options;
    if (!accepted) return Tagged(tag, "NO [AUTHENTICATIONFAILED] Authentication failed.");
    if (options.maxLogins >= 0 && state_->logins >= options.maxLogins)
      return Tagged(tag, "NO [UNAVAILABLE] Maximum number of connections from user+IP exceeded");
    ++state_->logins;
    phase_ = Phase::kAuthenticated;
    Tagged(tag, options.capabilitiesAfterLogin ? "OK [CAPABILITY " + Capabilities() + "] Logged in"
                                               : "OK Logged in");
  }

  void Authenticate(const std::string& tag, const std::vector<Token>& args) {
    if (phase_ != Phase::kNotAuthenticated) return Bad(tag, "already logged in");
    const FakeImapOptions& options = state_->options;
    const std::string mechanism = mime::ToUpperAscii(args[0].text);
    const bool offered = mechanism == "PLAIN" || mechanism == "LOGIN" ||
                         (mechanism == "XOAUTH2" && options.xoauth2) ||
                         (mechanism == "OAUTHBEARER" && options.oauthBearer);
    if (!offered) return Tagged(tag, "NO Unsupported authentication mechanism.");
    if (args.size() == 2 && !options.saslIr) return Bad(tag, "an initial response without SASL-IR");
    if (PlaintextRefused(tag)) return;
    sasl_ = Sasl{tag, mechanism, 0, {}, false};
    if (args.size() == 1) {
      Continuation(mechanism == "LOGIN" ? Base64("Username:") : "");
      return;
    }
    if (args[1].text == "=") return SaslStep({});
    const std::optional<std::string> initial = FromBase64(args[1].text);
    if (!initial) {
      sasl_.reset();
      return Bad(tag, "an initial response that is not base64");
    }
    SaslStep(*initial);
  }

  void SaslAnswer(const std::string& line) {
    if (line == "*") {
      const std::string tag = sasl_->tag;
      sasl_.reset();
      return Tagged(tag, "BAD Authentication aborted by client.");
    }
    const std::optional<std::string> data = FromBase64(line);
    if (!data) {
      const std::string tag = sasl_->tag;
      sasl_.reset();
      return Bad(tag, "a SASL answer that is not base64");
    }
    SaslStep(*data);
  }

  void SaslStep(const std::string& data) {
    const FakeImapOptions& options = state_->options;
    Sasl& sasl = *sasl_;
    const std::string tag = sasl.tag;
    const auto finish = [&](bool accepted) {
      sasl_.reset();
      LoggedIn(tag, accepted);
    };
    if (sasl.failed) {
      // After the error challenge the client only ends the exchange.
      const bool dummy = data.empty() || data == "\x01";
      sasl_.reset();
      if (!dummy) Fault("an answer to an error challenge that is not empty");
      return Tagged(tag, "NO [AUTHENTICATIONFAILED] Authentication failed.");
    }
    if (sasl.mechanism == "PLAIN") {
      const std::size_t first = data.find('\0');
      const std::size_t second = first == std::string::npos ? first : data.find('\0', first + 1);
      if (second == std::string::npos || data.find('\0', second + 1) != std::string::npos)
        return finish(false);
      const std::string authzid = data.substr(0, first);
      const std::string user = data.substr(first + 1, second - first - 1);
      return finish((authzid.empty() || authzid == user) && user == options.user &&
                    data.substr(second + 1) == options.password);
    }
    if (sasl.mechanism == "LOGIN") {
      if (sasl.step++ == 0) {
        sasl.user = data;
        return Continuation(Base64("Password:"));
      }
      return finish(sasl.user == options.user && data == options.password);
    }
    const std::string bearer = "auth=Bearer " + options.oauthToken;
    bool accepted = false;
    if (sasl.mechanism == "XOAUTH2") {
      accepted = data == "user=" + options.user + "\x01" + bearer + "\x01\x01";
    } else {
      const std::string header = "n,a=" + options.user + ",";
      accepted = data.starts_with(header) && data.ends_with("\x01\x01") &&
                 data.find("\x01" + bearer + "\x01") != std::string::npos;
    }
    if (accepted) return finish(true);
    sasl.failed = true;
    Continuation(
        Base64(sasl.mechanism == "XOAUTH2"
                   ? R"({"status":"401","schemes":"bearer","scope":"https://mail.google.com/"})"
                   : R"({"status":"invalid_token","scope":"mail"})"));
  }

  void Enable(const std::string& tag, const std::vector<Token>& args) {
    if (args.empty()) return Bad(tag, "ENABLE without a capability");
    std::string enabled;
    for (const Token& arg : args) {
      if (arg.kind != Token::Kind::kAtom) return Bad(tag, "ENABLE of what is not an atom");
      if (mime::ToUpperAscii(arg.text) == "UTF8=ACCEPT" && state_->options.utf8Accept) {
        utf8_ = true;
        enabled += " UTF8=ACCEPT";
      }
    }
    Untagged("ENABLED" + enabled);
    Tagged(tag, "OK Enabled.");
  }

  // INBOX in any case is INBOX, and so is the start of a name under it.
  std::string Canonical(std::string name) const {
    const char separator = state_->options.separator;
    if (mime::ToUpperAscii(name.substr(0, 5)) == "INBOX" &&
        (name.size() == 5 || name[5] == separator))
      name.replace(0, 5, "INBOX");
    return name;
  }

  // What LIST shows: the mailboxes and the parents their names imply, with whether each can
  // be selected.
  std::map<std::string, bool> ListedNames() const {
    std::map<std::string, bool> names;
    for (const auto& [name, mailbox] : state_->mailboxes) {
      names[name] = true;
      for (std::size_t at = name.find(state_->options.separator); at != std::string::npos;
           at = name.find(state_->options.separator, at + 1))
        names.emplace(name.substr(0, at), false);
    }
    return names;
  }

  std::string Astring(const std::string& text) const {
    const bool atom = !text.empty() && std::all_of(text.begin(), text.end(), IsAtomChar) &&
                      mime::ToUpperAscii(text) != "NIL";
    if (atom) return text;
    const bool quotable = std::none_of(text.begin(), text.end(), [this](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8_);
    });
    if (!quotable) return "{" + std::to_string(text.size()) + "}\r\n" + text;
    std::string quoted = "\"";
    for (const char c : text) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return quoted + '"';
  }

  void List(const std::string& tag, const std::vector<Token>& args) {
    if (args.size() != 2 || !IsAstring(args[0]) || args[1].kind == Token::Kind::kList)
      return Bad(tag, "LIST takes a reference and a pattern");
    const char separator = state_->options.separator;
    const std::string quotedSeparator = std::string("\"") + separator + "\"";
    if (args[0].text.empty() && args[1].text.empty()) {
      Untagged("LIST (\\Noselect) " + quotedSeparator + " \"\"");
      return Tagged(tag, "OK List completed.");
    }
    const std::string pattern = Canonical(args[0].text + args[1].text);
    const std::map<std::string, bool> names = ListedNames();
    for (const auto& [name, selectable] : names) {
      if (!Matches(pattern, name, separator)) continue;
      const auto next = names.lower_bound(name + separator);
      const bool children = next != names.end() && next->first.starts_with(name + separator);
      std::string attributes = selectable ? "" : "\\Noselect ";
      attributes += children ? "\\HasChildren" : "\\HasNoChildren";
      Untagged("LIST (" + attributes + ") " + quotedSeparator + " " + Astring(name));
    }
    Tagged(tag, "OK List completed.");
  }

  void Create(const std::string& tag, const std::vector<Token>& args) {
    if (args.size() != 1 || !IsAstring(args[0])) return Bad(tag, "CREATE takes a name");
    const FakeImapOptions& options = state_->options;
    std::string name = Canonical(args[0].text);
    if (!name.empty() && name.back() == options.separator) name.pop_back();
    for (const char c : name) {
      if (options.refusedNameCharacters.find(c) != std::string::npos || c == '*' || c == '%' ||
          static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        return Tagged(
            tag, std::string("NO [CANNOT] Character not allowed in mailbox name: '") + c + "'");
    }
    const std::string doubled(2, options.separator);
    if (name.empty() || name.front() == options.separator ||
        name.find(doubled) != std::string::npos)
      return Tagged(tag, "NO [CANNOT] Invalid mailbox name");
    if (!utf8_ && !IsModifiedUtf7(name))
      return Tagged(tag, "NO [CANNOT] Mailbox name is not valid mUTF-7");
    if (state_->mailboxes.count(name) != 0)
      return Tagged(tag, "NO [ALREADYEXISTS] Mailbox already exists");
    AddMailbox(*state_, name);
    Tagged(tag, "OK Create completed.");
  }

  void Select(const std::string& tag, const std::string& name, const std::vector<Token>& args) {
    if (args.size() != 1 || !IsAstring(args[0])) return Bad(tag, name + " takes a name");
    phase_ = Phase::kAuthenticated;
    selected_.clear();
    const std::string mailboxName = Canonical(args[0].text);
    const auto found = state_->mailboxes.find(mailboxName);
    if (found == state_->mailboxes.end())
      return Tagged(tag, "NO [NONEXISTENT] Mailbox doesn't exist: " + mailboxName);
    const FakeImapMailbox& mailbox = found->second;
    Untagged("FLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft)");
    Untagged(
        "OK [PERMANENTFLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft \\*)] Flags "
        "permitted.");
    Untagged(std::to_string(mailbox.messages.size()) + " EXISTS");
    Untagged("0 RECENT");
    Untagged("OK [UIDVALIDITY " + std::to_string(mailbox.uidValidity) + "] UIDs valid");
    Untagged("OK [UIDNEXT " + std::to_string(mailbox.uidNext) + "] Predicted next UID");
    phase_ = Phase::kSelected;
    selected_ = mailboxName;
    Tagged(tag, name == "SELECT" ? "OK [READ-WRITE] Select completed."
                                 : "OK [READ-ONLY] Examine completed.");
  }

  void Append(const std::string& tag, const std::vector<Token>& args) {
    if (args.size() < 2 || args.size() > 4 || !IsAstring(args[0]) || !args.back().literal)
      return Bad(tag, "APPEND takes a mailbox, flags, a date and a literal");
    const FakeImapOptions& options = state_->options;
    FakeImapMessage message;
    message.text = args.back().text;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
      const Token& arg = args[i];
      if (arg.kind == Token::Kind::kList && i == 1) {
        for (const Token& flag : arg.items) {
          if (flag.kind != Token::Kind::kAtom ||
              (flag.text.starts_with('\\') && !IsSystemFlag(flag.text)))
            return Bad(tag, "an invalid flag in APPEND");
          message.flags.push_back(flag.text);
        }
      } else if (arg.kind == Token::Kind::kString && !arg.literal && IsDateTime(arg.text) &&
                 message.internalDate.empty()) {
        message.internalDate = arg.text;
      } else {
        return Bad(tag, "an invalid date or flags in APPEND");
      }
    }
    if (!args.back().binary && message.text.find('\0') != std::string::npos)
      return Bad(tag, "a NUL in a literal that is not literal8");
    const std::string mailboxName = Canonical(args[0].text);
    const auto found = state_->mailboxes.find(mailboxName);
    if (found == state_->mailboxes.end())
      return Tagged(tag, "NO [TRYCREATE] Mailbox doesn't exist: " + mailboxName);
    if (options.appendLimit && message.text.size() > *options.appendLimit)
      return Tagged(tag, "NO [" + options.appendLimitCode + "] Message size exceeds the limit");
    if (!options.quotaMarker.empty() && message.text.find(options.quotaMarker) != std::string::npos)
      return Tagged(tag, "NO [OVERQUOTA] Quota exceeded (" + options.quotaMarker + ")");
    FakeImapMailbox& mailbox = found->second;
    message.uid = mailbox.uidNext++;
    mailbox.messages.push_back(std::move(message));
    ++state_->appends;
    if (options.dropAfterAppend == state_->appends && !state_->dropped) {
      state_->dropped = true;
      dead_ = true;
      return;
    }
    if (phase_ == Phase::kSelected && selected_ == mailboxName)
      Untagged(std::to_string(mailbox.messages.size()) + " EXISTS");
    Tagged(tag, options.uidPlus
                    ? "OK [APPENDUID " + std::to_string(mailbox.uidValidity) + " " +
                          std::to_string(mailbox.messages.back().uid) + "] Append completed."
                    : "OK Append completed.");
  }

  void Search(const std::string& tag, std::vector<Token> keys, bool byUid) {
    if (phase_ != Phase::kSelected) return Bad(tag, "SEARCH without a selected mailbox");
    if (keys.size() >= 2 && mime::ToUpperAscii(keys[0].text) == "CHARSET" &&
        keys[0].kind == Token::Kind::kAtom) {
      const std::string charset = mime::ToUpperAscii(keys[1].text);
      if (charset != "UTF-8" && charset != "US-ASCII")
        return Tagged(tag, "NO [BADCHARSET (UTF-8 US-ASCII)] Unsupported charset");
      keys.erase(keys.begin(), keys.begin() + 2);
    }
    if (keys.empty()) return Bad(tag, "SEARCH without a key");
    const FakeImapMailbox& mailbox = state_->mailboxes.at(selected_);
    std::vector<bool> hits(mailbox.messages.size(), true);
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const std::string key =
          keys[k].kind == Token::Kind::kAtom ? mime::ToUpperAscii(keys[k].text) : "";
      std::function<bool(const FakeImapMessage&)> test;
      if (key == "ALL") {
        test = [](const FakeImapMessage&) { return true; };
      } else if ((key == "LARGER" || key == "SMALLER") && k + 1 < keys.size() &&
                 keys[k + 1].kind == Token::Kind::kAtom && Number(keys[k + 1].text)) {
        const std::uint64_t size = *Number(keys[++k].text);
        const bool larger = key == "LARGER";
        test = [size, larger](const FakeImapMessage& message) {
          return larger ? message.text.size() > size : message.text.size() < size;
        };
      } else if (key == "HEADER" && k + 2 < keys.size() && IsAstring(keys[k + 1]) &&
                 IsAstring(keys[k + 2])) {
        const std::string field = keys[k + 1].text;
        const std::string wanted = Lower(keys[k + 2].text);
        k += 2;
        test = [field, wanted](const FakeImapMessage& message) {
          for (const std::string& value : HeaderValues(message.text, field)) {
            if (Lower(value).find(wanted) != std::string::npos) return true;
          }
          return false;
        };
      } else {
        return Bad(tag, "an unknown search key: " + keys[k].text);
      }
      for (std::size_t m = 0; m < hits.size(); ++m)
        hits[m] = hits[m] && test(mailbox.messages[m]);
    }
    std::string found = "SEARCH";
    for (std::size_t m = 0; m < hits.size(); ++m) {
      if (hits[m]) found += " " + std::to_string(byUid ? mailbox.messages[m].uid : m + 1);
    }
    Untagged(found);
    Tagged(tag, "OK Search completed.");
  }

  std::string Capabilities() const {
    const FakeImapOptions& options = state_->options;
    std::string words = "IMAP4rev1";
    if (options.saslIr) words += " SASL-IR";
    if (options.literalPlus) {
      words += " LITERAL+";
    } else if (options.literalMinus) {
      words += " LITERAL-";
    }
    words += " ENABLE";
    if (phase_ == Phase::kNotAuthenticated) {
      if (!tls_ && options.startTls) words += " STARTTLS";
      if (options.plaintextNeedsTls && !tls_) return words + " LOGINDISABLED";
      words += " AUTH=PLAIN AUTH=LOGIN";
      if (options.xoauth2) words += " AUTH=XOAUTH2";
      if (options.oauthBearer) words += " AUTH=OAUTHBEARER";
      return words;
    }
    if (options.uidPlus) words += " UIDPLUS";
    if (options.utf8Accept) words += " UTF8=ACCEPT";
    if (options.binary) words += " BINARY";
    if (options.appendLimit) words += " APPENDLIMIT=" + std::to_string(*options.appendLimit);
    return words;
  }

  void Say(const std::string& bytes) {
    sent_ += bytes.size();
    output_ += bytes;
  }
  void Untagged(const std::string& line) { Say("* " + line + "\r\n"); }
  void Tagged(const std::string& tag, const std::string& line) { Say(tag + " " + line + "\r\n"); }
  void Continuation(const std::string& text) { Say("+ " + text + "\r\n"); }
  void Bad(const std::string& tag, const std::string& why) {
    Fault(why);
    Tagged(tag, "BAD Error in IMAP command: " + why);
  }
  void Fault(const std::string& why) { state_->clientFaults.push_back(why); }
  void Record(std::string bytes, bool saslAnswer) {
    state_->received.push_back({id_, tls_, saslAnswer, std::move(bytes)});
  }

 public:
  static void AddMailbox(State& state, const std::string& name) {
    FakeImapMailbox mailbox;
    mailbox.name = name;
    mailbox.uidValidity =
        state.options.uidValidity + static_cast<std::uint32_t>(state.mailboxes.size());
    state.mailboxes.emplace(name, std::move(mailbox));
  }

 private:
  std::shared_ptr<State> state_;
  int id_ = 0;
  bool tls_ = false;
  bool tlsExpected_ = false;
  bool closed_ = false;  // it said BYE: what was sent is still read, then the end
  bool dead_ = false;    // it dropped the connection
  std::atomic<bool> interrupted_ = false;
  Phase phase_ = Phase::kNotAuthenticated;
  bool utf8_ = false;
  std::string selected_;
  std::optional<Sasl> sasl_;

  std::string input_;
  std::vector<Piece> pieces_;
  std::string commandBytes_;
  std::string commandFault_;
  std::uint64_t literalLeft_ = 0;
  std::string output_;
  std::uint64_t sent_ = 0;      // bytes ever queued for the client
  std::uint64_t received_ = 0;  // bytes the client took
  std::uint64_t continuationEnd_ = 0;
};

}  // namespace

FakeImapServer::FakeImapServer(FakeImapOptions options) : state_(std::make_shared<State>()) {
  state_->options = std::move(options);
  Session::AddMailbox(*state_, "INBOX");
}

FakeImapServer::~FakeImapServer() = default;

std::unique_ptr<Connection> FakeImapServer::Connect() {
  return std::make_unique<Session>(state_, false);
}

std::unique_ptr<Connection> FakeImapServer::ConnectTls() {
  return std::make_unique<Session>(state_, true);
}

void FakeImapServer::AddMailbox(const std::string& name) {
  const std::lock_guard lock(state_->mutex);
  if (state_->mailboxes.count(name) == 0) Session::AddMailbox(*state_, name);
}

std::uint32_t FakeImapServer::AddMessage(const std::string& mailbox, const std::string& text) {
  const std::lock_guard lock(state_->mutex);
  if (state_->mailboxes.count(mailbox) == 0) Session::AddMailbox(*state_, mailbox);
  FakeImapMailbox& box = state_->mailboxes.at(mailbox);
  box.messages.push_back({box.uidNext++, text, {}, {}});
  return box.messages.back().uid;
}

std::vector<std::string> FakeImapServer::MailboxNames() const {
  const std::lock_guard lock(state_->mutex);
  std::vector<std::string> names;
  for (const auto& [name, mailbox] : state_->mailboxes)
    names.push_back(name);
  return names;
}

std::optional<FakeImapMailbox> FakeImapServer::Mailbox(const std::string& name) const {
  const std::lock_guard lock(state_->mutex);
  const auto found = state_->mailboxes.find(name);
  if (found == state_->mailboxes.end()) return std::nullopt;
  return found->second;
}

std::vector<FakeImapReceived> FakeImapServer::Received() const {
  const std::lock_guard lock(state_->mutex);
  return state_->received;
}

std::vector<std::string> FakeImapServer::ClientFaults() const {
  const std::lock_guard lock(state_->mutex);
  return state_->clientFaults;
}

int FakeImapServer::Sessions() const {
  const std::lock_guard lock(state_->mutex);
  return state_->sessions;
}

int FakeImapServer::Logins() const {
  const std::lock_guard lock(state_->mutex);
  return state_->logins;
}

int FakeImapServer::Appends() const {
  const std::lock_guard lock(state_->mutex);
  return state_->appends;
}

std::unique_ptr<Connection> FakeStartTls(std::unique_ptr<Connection> plain, std::string& error) {
  auto* session = dynamic_cast<Session*>(plain.get());
  if (session == nullptr) {
    error = "not a session of the fake IMAP server";
    return nullptr;
  }
  if (!session->StartTls(error)) return nullptr;
  return plain;
}

}  // namespace vandrel
