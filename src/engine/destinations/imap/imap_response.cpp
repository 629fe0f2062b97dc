#include "engine/destinations/imap/imap_response.h"

#include <cctype>
#include <charconv>

#include "mime/ascii.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

bool IsStatusName(std::string_view name) {
  return name == "OK" || name == "NO" || name == "BAD" || name == "BYE" || name == "PREAUTH";
}

bool IsAtomChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte != 0x7F && c != '(' && c != ')' && c != '{' && c != '"';
}

// Reads one response from the buffer; every read checks the end first.
class Reader {
 public:
  explicit Reader(std::string_view buffer) : buffer_(buffer) {}

  ImapParse Parse(ImapResponse& response, std::size_t& consumed, std::string& problem) {
    ImapParse outcome = ParseResponse(response);
    if (outcome == ImapParse::kComplete) consumed = at_;
    // Whole or in pieces, a response over the bound is refused alike: whether it came in one
    // read must not decide.
    const std::size_t taken = outcome == ImapParse::kComplete ? at_ : buffer_.size();
    if (outcome != ImapParse::kMalformed && taken > kMaxImapResponse) {
      problem_ = Format(Tr("the server sent a response larger than %1 MB"),
                        kMaxImapResponse / (1024 * 1024));
      outcome = ImapParse::kMalformed;
    }
    if (outcome == ImapParse::kMalformed) problem = problem_;
    return outcome;
  }

 private:
  // `why` is one of the texts below, translated here.
  ImapParse Fail(std::string_view why) {
    problem_ = Format(Tr("the server sent a response that is not IMAP (%1)"), Tr(why));
    return ImapParse::kMalformed;
  }
  bool AtEnd() const { return at_ >= buffer_.size(); }
  char Peek() const { return buffer_[at_]; }

  ImapParse ParseResponse(ImapResponse& response) {
    const std::size_t lineEnd = buffer_.find("\r\n");
    if (lineEnd == std::string_view::npos) return ImapParse::kIncomplete;
    std::string_view first;
    if (ImapParse outcome = Word(first); outcome != ImapParse::kComplete) return outcome;
    if (first == "+") {
      response.kind = ImapResponse::Kind::kContinuation;
      return RestOfLine(response.text);
    }
    if (first.empty()) return Fail(TrNoop("a line without a tag"));
    if (ImapParse outcome = Space(); outcome != ImapParse::kComplete) return outcome;
    response.kind = first == "*" ? ImapResponse::Kind::kUntagged : ImapResponse::Kind::kTagged;
    if (response.kind == ImapResponse::Kind::kTagged) response.tag = std::string(first);
    std::string_view name;
    if (ImapParse outcome = Word(name); outcome != ImapParse::kComplete) return outcome;
    if (response.kind == ImapResponse::Kind::kUntagged && !name.empty() &&
        std::isdigit(static_cast<unsigned char>(name.front()))) {
      const auto [end, error] =
          std::from_chars(name.data(), name.data() + name.size(), response.number);
      if (error != std::errc() || end != name.data() + name.size())
        return Fail(TrNoop("a number out of range"));
      response.hasNumber = true;
      if (AtEnd()) return ImapParse::kIncomplete;
      if (Peek() == ' ') {
        ++at_;
        if (ImapParse outcome = Word(name); outcome != ImapParse::kComplete) return outcome;
      } else {
        name = {};
      }
    }
    if (name.empty()) return Fail(TrNoop("a response without a name"));
    response.name = mime::ToUpperAscii(name);
    if (response.IsStatus()) return StatusRest(response);
    if (response.kind == ImapResponse::Kind::kTagged)
      return Fail(TrNoop("a tagged line without status"));
    return Values(response.values, 0, false);
  }

  // A run of atom characters, possibly empty; stops at space, line end or a special.
  ImapParse Word(std::string_view& word) {
    const std::size_t start = at_;
    while (!AtEnd() && IsAtomChar(Peek()))
      ++at_;
    if (AtEnd()) return ImapParse::kIncomplete;
    word = buffer_.substr(start, at_ - start);
    return ImapParse::kComplete;
  }

  ImapParse Space() {
    if (AtEnd()) return ImapParse::kIncomplete;
    if (Peek() != ' ') return Fail(TrNoop("a space missing"));
    ++at_;
    return ImapParse::kComplete;
  }

  ImapParse LineEnd() {
    if (at_ + 2 > buffer_.size()) return ImapParse::kIncomplete;
    if (buffer_.substr(at_, 2) != "\r\n") return Fail(TrNoop("a line end expected"));
    at_ += 2;
    return ImapParse::kComplete;
  }

  ImapParse RestOfLine(std::string& text) {
    if (AtEnd()) return ImapParse::kIncomplete;
    if (Peek() == ' ') ++at_;
    const std::size_t end = buffer_.find("\r\n", at_);
    if (end == std::string_view::npos) return ImapParse::kIncomplete;
    text = std::string(buffer_.substr(at_, end - at_));
    at_ = end;
    return LineEnd();
  }

  // [" [" code "]"] [" " text] CRLF; servers are lax about the spaces.
  ImapParse StatusRest(ImapResponse& response) {
    if (AtEnd()) return ImapParse::kIncomplete;
    if (Peek() == ' ') ++at_;
    if (!AtEnd() && Peek() == '[') {
      const std::size_t close = buffer_.find(']', at_);
      const std::size_t end = buffer_.find("\r\n", at_);
      if (end == std::string_view::npos) return ImapParse::kIncomplete;
      if (close == std::string_view::npos || close > end)
        return Fail(TrNoop("\"[\" without \"]\""));
      response.code = std::string(buffer_.substr(at_ + 1, close - at_ - 1));
      at_ = close + 1;
    }
    return RestOfLine(response.text);
  }

  ImapParse Values(std::vector<ImapValue>& values, int depth, bool inList) {
    if (depth > kMaxImapNesting) return Fail(TrNoop("lists nested too deep"));
    for (;;) {
      if (AtEnd()) return ImapParse::kIncomplete;
      const char c = Peek();
      if (c == ' ') {
        ++at_;
        continue;
      }
      if (c == ')') {
        if (!inList) return Fail(TrNoop("\")\" without \"(\""));
        ++at_;
        return ImapParse::kComplete;
      }
      if (c == '\r') {
        if (inList) return Fail(TrNoop("a line ends inside a list"));
        return LineEnd();
      }
      ImapValue value;
      if (ImapParse outcome = Value(value, depth); outcome != ImapParse::kComplete) return outcome;
      values.push_back(std::move(value));
    }
  }

  ImapParse Value(ImapValue& value, int depth) {
    const char c = Peek();
    if (c == '(') {
      ++at_;
      value.kind = ImapValue::Kind::kList;
      return Values(value.items, depth + 1, true);
    }
    if (c == '"') return Quoted(value);
    // "~" starts a literal8 only before "{"; elsewhere it is an atom's character.
    if (c == '~' && at_ + 1 >= buffer_.size()) return ImapParse::kIncomplete;
    if (c == '{' || (c == '~' && buffer_[at_ + 1] == '{')) return Literal(value);
    std::string_view word;
    if (ImapParse outcome = Word(word); outcome != ImapParse::kComplete) return outcome;
    if (word.empty()) return Fail(TrNoop("an unexpected character"));
    value.kind = mime::ToUpperAscii(word) == "NIL" ? ImapValue::Kind::kNil : ImapValue::Kind::kAtom;
    value.text = std::string(word);
    return ImapParse::kComplete;
  }

  ImapParse Quoted(ImapValue& value) {
    value.kind = ImapValue::Kind::kString;
    for (++at_;; ++at_) {
      if (AtEnd()) return ImapParse::kIncomplete;
      char c = Peek();
      if (c == '"') {
        ++at_;
        return ImapParse::kComplete;
      }
      if (c == '\r' || c == '\n') return Fail(TrNoop("a line ends inside a quoted string"));
      if (c == '\\') {
        if (++at_ >= buffer_.size()) return ImapParse::kIncomplete;
        c = Peek();
        if (c == '\r' || c == '\n') return Fail(TrNoop("a line ends inside a quoted string"));
      }
      value.text += c;
    }
  }

  // "{N}" or "~{N}" (or "{N+}"), CRLF, then N bytes.
  ImapParse Literal(ImapValue& value) {
    value.kind = ImapValue::Kind::kString;
    if (Peek() == '~') ++at_;
    const std::size_t close = buffer_.find('}', at_);
    const std::size_t end = buffer_.find("\r\n", at_);
    if (close == std::string_view::npos || end == std::string_view::npos || close > end)
      return end == std::string_view::npos ? ImapParse::kIncomplete
                                           : Fail(TrNoop("\"{\" without \"}\""));
    std::string_view digits = buffer_.substr(at_ + 1, close - at_ - 1);
    if (!digits.empty() && digits.back() == '+') digits.remove_suffix(1);
    std::size_t size = 0;
    const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || error != std::errc() || last != digits.data() + digits.size())
      return Fail(TrNoop("a literal without its size"));
    if (size > kMaxImapResponse) return Fail(TrNoop("a literal larger than can be taken"));
    at_ = close + 1;
    if (ImapParse outcome = LineEnd(); outcome != ImapParse::kComplete) return outcome;
    if (buffer_.size() - at_ < size) return ImapParse::kIncomplete;
    value.text = std::string(buffer_.substr(at_, size));
    at_ += size;
    return ImapParse::kComplete;
  }

  std::string_view buffer_;
  std::size_t at_ = 0;
  std::string problem_;
};

}  // namespace

bool ImapResponse::IsStatus() const {
  return kind != Kind::kContinuation && IsStatusName(name);
}

ImapParse ParseImapResponse(std::string_view buffer, ImapResponse& response, std::size_t& consumed,
                            std::string& problem) {
  response = ImapResponse();
  return Reader(buffer).Parse(response, consumed, problem);
}

std::vector<std::string> ImapWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

}  // namespace vandrel
