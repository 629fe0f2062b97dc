// Arbitrary bytes read as a server's stream, one response after another the way the client
// reads them. Nothing is read past the buffer; a response taken is taken alike on its own
// bytes and is never found in a part of them; a refusal stays a refusal whatever follows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/destinations/imap/imap_response.h"

using namespace vandrel;

namespace {

bool Same(const ImapValue& a, const ImapValue& b) {
  if (a.kind != b.kind || a.text != b.text || a.items.size() != b.items.size()) return false;
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    if (!Same(a.items[i], b.items[i])) return false;
  }
  return true;
}

bool Same(const ImapResponse& a, const ImapResponse& b) {
  if (a.kind != b.kind || a.tag != b.tag || a.hasNumber != b.hasNumber || a.number != b.number ||
      a.name != b.name || a.code != b.code || a.text != b.text ||
      a.values.size() != b.values.size())
    return false;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    if (!Same(a.values[i], b.values[i])) return false;
  }
  return true;
}

int Depth(const ImapValue& value) {
  int deepest = 0;
  for (const ImapValue& item : value.items)
    deepest = std::max(deepest, Depth(item));
  return value.kind == ImapValue::Kind::kList ? deepest + 1 : deepest;
}

ImapParse Parse(std::string_view bytes, ImapResponse& response, std::size_t& consumed) {
  std::string problem;
  const ImapParse outcome = ParseImapResponse(bytes, response, consumed, problem);
  if (outcome == ImapParse::kMalformed && problem.empty()) __builtin_trap();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Copied, so that ASan sees a read past the end of what the parser was given.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string_view rest = bytes;
  for (;;) {
    ImapResponse response;
    std::size_t consumed = 0;
    const ImapParse outcome = Parse(rest, response, consumed);
    if (outcome == ImapParse::kIncomplete) break;
    if (outcome == ImapParse::kMalformed) {
      ImapResponse more;
      std::size_t ignored = 0;
      if (Parse(std::string(rest) + ")\r\n}\r\n]\r\n", more, ignored) != ImapParse::kMalformed)
        __builtin_trap();
      break;
    }
    if (consumed == 0 || consumed > rest.size()) __builtin_trap();
    for (const ImapValue& value : response.values) {
      if (Depth(value) > kMaxImapNesting) __builtin_trap();
    }
    const std::string alone(rest.substr(0, consumed));
    ImapResponse again;
    std::size_t againConsumed = 0;
    if (Parse(alone, again, againConsumed) != ImapParse::kComplete || againConsumed != consumed ||
        !Same(again, response))
      __builtin_trap();
    // A part of it awaits the rest: every part of a short response, two of a long one.
    constexpr std::size_t kEveryCutUpTo = 512;
    for (std::size_t cut = 0; cut < consumed; ++cut) {
      if (consumed > kEveryCutUpTo && cut != consumed - 1 && cut != consumed / 2) continue;
      std::size_t ignored = 0;
      if (Parse(std::string_view(alone).substr(0, cut), again, ignored) != ImapParse::kIncomplete)
        __builtin_trap();
    }
    rest.remove_prefix(consumed);
  }
  return 0;
}
