// What an IMAP server sends, one response at a time: read from a buffer that may hold less than
// a whole response (then more is awaited) or more (the rest is left for the next one). Nothing
// is read past the buffer, and a response can be no larger than kMaxImapResponse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

inline constexpr std::size_t kMaxImapResponse = 16 * 1024 * 1024;
inline constexpr int kMaxImapNesting = 32;

// A value of a data response: an atom or number, a string (quoted or literal), NIL, or a list.
struct ImapValue {
  enum class Kind { kAtom, kString, kNil, kList };
  Kind kind = Kind::kAtom;
  std::string text;              // the atom or the string's bytes
  std::vector<ImapValue> items;  // a list's values
};

struct ImapResponse {
  enum class Kind {
    kUntagged,      // "* ..."
    kContinuation,  // "+ ..."
    kTagged,        // "TAG OK|NO|BAD ..."
  };
  Kind kind = Kind::kUntagged;
  std::string tag;
  // "* 12 EXISTS": the number before the name.
  bool hasNumber = false;
  std::uint32_t number = 0;
  // Upper-cased: OK, NO, BAD, BYE, PREAUTH for status responses; CAPABILITY, LIST, SEARCH,
  // EXISTS, ENABLED, ... for data.
  std::string name;
  // Of a status response: the response code between "[" and "]" (as sent) and the text after
  // it; of a continuation: its text.
  std::string code;
  std::string text;
  // Of a data response: the values after the name.
  std::vector<ImapValue> values;

  bool IsStatus() const;
};

enum class ImapParse {
  kComplete,    // `response` holds it, `consumed` says how many bytes it took
  kIncomplete,  // the buffer ends inside the response: wait for more
  kMalformed,   // `problem` says why; the connection cannot be trusted any further
};

ImapParse ParseImapResponse(std::string_view buffer, ImapResponse& response, std::size_t& consumed,
                            std::string& problem);

// The words of a response code or a CAPABILITY list, split at spaces.
std::vector<std::string> ImapWords(std::string_view text);

}  // namespace vandrel
