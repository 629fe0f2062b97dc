// The IMAP response parser: what it makes of each kind of response, whole or cut anywhere, and
// what it refuses.
#include "engine/destinations/imap/imap_response.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace vandrel {
namespace {

using namespace std::string_literals;

// Values written back the way a reader of the table sees them: atoms bare, strings quoted
// (with their bytes as they are, escapes undone), NIL, lists in parentheses.
std::string Shown(const std::vector<ImapValue>& values) {
  std::string shown;
  for (const ImapValue& value : values) {
    if (!shown.empty()) shown += ' ';
    switch (value.kind) {
      case ImapValue::Kind::kAtom:
        shown += value.text;
        break;
      case ImapValue::Kind::kString:
        shown += '"' + value.text + '"';
        break;
      case ImapValue::Kind::kNil:
        shown += "NIL";
        break;
      case ImapValue::Kind::kList:
        shown += '(' + Shown(value.items) + ')';
        break;
    }
  }
  return shown;
}

std::string Shown(const ImapResponse& response) {
  std::string shown;
  switch (response.kind) {
    case ImapResponse::Kind::kUntagged:
      shown = "*";
      break;
    case ImapResponse::Kind::kContinuation:
      shown = "+";
      break;
    case ImapResponse::Kind::kTagged:
      shown = "tag=" + response.tag;
      break;
  }
  if (response.hasNumber) shown += " #" + std::to_string(response.number);
  shown += " name=" + response.name + " code=[" + response.code + "] text=<" + response.text +
           "> values=" + Shown(response.values);
  return shown;
}

struct Parsed {
  ImapParse outcome = ImapParse::kMalformed;
  ImapResponse response;
  std::size_t consumed = 0;
  std::string problem;
};

Parsed Parse(std::string_view buffer) {
  Parsed parsed;
  parsed.consumed = 12345;  // untouched unless the parse is complete
  parsed.outcome = ParseImapResponse(buffer, parsed.response, parsed.consumed, parsed.problem);
  return parsed;
}

struct Complete {
  std::string bytes;
  std::string shown;
};

const std::vector<Complete>& CompleteResponses() {
  static const std::vector<Complete> cases = {
      {"* OK [CAPABILITY IMAP4rev1 SASL-IR LITERAL+ STARTTLS AUTH=PLAIN] Dovecot ready.\r\n",
       "* name=OK code=[CAPABILITY IMAP4rev1 SASL-IR LITERAL+ STARTTLS AUTH=PLAIN] "
       "text=<Dovecot ready.> values="},
      {"* PREAUTH IMAP4rev1 server logged in as calypso\r\n",
       "* name=PREAUTH code=[] text=<IMAP4rev1 server logged in as calypso> values="},
      {"* BYE Server shutting down.\r\n",
       "* name=BYE code=[] text=<Server shutting down.> values="},
      {"V1 OK [APPENDUID 38505 3955] Append completed (0.004 + 0.000 secs).\r\n",
       "tag=V1 name=OK code=[APPENDUID 38505 3955] text=<Append completed (0.004 + 0.000 secs).> "
       "values="},
      {"V2 NO [TRYCREATE] Mailbox doesn't exist: Archive\r\n",
       "tag=V2 name=NO code=[TRYCREATE] text=<Mailbox doesn't exist: Archive> values="},
      {"V3 BAD Error in IMAP command FROB: Unknown command.\r\n",
       "tag=V3 name=BAD code=[] text=<Error in IMAP command FROB: Unknown command.> values="},
      {"V4 OK\r\n", "tag=V4 name=OK code=[] text=<> values="},
      {"v5 ok [READ-WRITE]\r\n", "tag=v5 name=OK code=[READ-WRITE] text=<> values="},
      {"V6 NO [OVERQUOTA] Quota exceeded (mailbox for user is full)\r\n",
       "tag=V6 name=NO code=[OVERQUOTA] text=<Quota exceeded (mailbox for user is full)> values="},
      {"* OK [UIDVALIDITY 1700000000] UIDs valid\r\n",
       "* name=OK code=[UIDVALIDITY 1700000000] text=<UIDs valid> values="},
      {"* 3 EXISTS\r\n", "* #3 name=EXISTS code=[] text=<> values="},
      {"* 0 RECENT\r\n", "* #0 name=RECENT code=[] text=<> values="},
      {"* 4294967295 EXISTS\r\n", "* #4294967295 name=EXISTS code=[] text=<> values="},
      {"* CAPABILITY IMAP4rev1 LITERAL+ APPENDLIMIT=35651584\r\n",
       "* name=CAPABILITY code=[] text=<> values=IMAP4rev1 LITERAL+ APPENDLIMIT=35651584"},
      {"* ENABLED UTF8=ACCEPT\r\n", "* name=ENABLED code=[] text=<> values=UTF8=ACCEPT"},
      {"* FLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft)\r\n",
       "* name=FLAGS code=[] text=<> values=(\\Answered \\Flagged \\Deleted \\Seen \\Draft)"},
      {"* LIST (\\HasNoChildren) \"/\" A/B\r\n",
       "* name=LIST code=[] text=<> values=(\\HasNoChildren) \"/\" A/B"},
      {"* list (\\Noselect \\HasChildren) \".\" \"Sent Items\"\r\n",
       "* name=LIST code=[] text=<> values=(\\Noselect \\HasChildren) \".\" \"Sent Items\""},
      // A name with specials and a line end comes as a literal; its bytes are taken as they are.
      {"* LIST (\\HasNoChildren) \"/\" {9}\r\nA/B) \"\r\nx\r\n",
       "* name=LIST code=[] text=<> values=(\\HasNoChildren) \"/\" \"A/B) \"\r\nx\""},
      {"* LIST (\\Noselect) NIL \"\"\r\n",
       "* name=LIST code=[] text=<> values=(\\Noselect) NIL \"\""},
      {"* LIST () \"/\" \"quote\\\"d back\\\\slash\"\r\n",
       "* name=LIST code=[] text=<> values=() \"/\" \"quote\"d back\\slash\""},
      {"* LIST () \"/\" ~archive\r\n", "* name=LIST code=[] text=<> values=() \"/\" ~archive"},
      {"* LIST () \"/\" \"NIL\"\r\n", "* name=LIST code=[] text=<> values=() \"/\" \"NIL\""},
      {"* SEARCH\r\n", "* name=SEARCH code=[] text=<> values="},
      {"* SEARCH 2 84 882\r\n", "* name=SEARCH code=[] text=<> values=2 84 882"},
      {"* 12 FETCH (BODY[HEADER] ~{5}\r\nab\0cd UID 7)\r\n"s,
       "* #12 name=FETCH code=[] text=<> values=(BODY[HEADER] \"ab\0cd\" UID 7)"s},
      // Cut after the "~", a line end is already in the buffer.
      {"* 1 FETCH (BODY[] {1}\r\na BINARY[] ~{1}\r\nb)\r\n",
       "* #1 name=FETCH code=[] text=<> values=(BODY[] \"a\" BINARY[] \"b\")"},
      {"* 1 FETCH (BODY[] {0}\r\n)\r\n", "* #1 name=FETCH code=[] text=<> values=(BODY[] \"\")"},
      {"* X ((a b) (c (d)) ())\r\n", "* name=X code=[] text=<> values=((a b) (c (d)) ())"},
      {"+ go ahead\r\n", "+ name= code=[] text=<go ahead> values="},
      {"+\r\n", "+ name= code=[] text=<> values="},
      {"+ \r\n", "+ name= code=[] text=<> values="},
      {"+ eyJzdGF0dXMiOiI0MDEifQ==\r\n", "+ name= code=[] text=<eyJzdGF0dXMiOiI0MDEifQ==> values="},
  };
  return cases;
}

TEST(ImapResponseTest, ReadsEachKindOfResponse) {
  for (const Complete& c : CompleteResponses()) {
    const Parsed parsed = Parse(c.bytes);
    ASSERT_EQ(parsed.outcome, ImapParse::kComplete) << c.bytes << parsed.problem;
    EXPECT_EQ(parsed.consumed, c.bytes.size()) << c.bytes;
    EXPECT_EQ(Shown(parsed.response), c.shown) << c.bytes;
  }
}

TEST(ImapResponseTest, StatusNamesAreStatusesOnlyOutsideContinuations) {
  const struct {
    std::string bytes;
    bool status;
  } cases[] = {
      {"* OK hi\r\n", true},     {"V1 NO x\r\n", true},     {"V1 BAD x\r\n", true},
      {"* BYE x\r\n", true},     {"* PREAUTH x\r\n", true}, {"* 3 EXISTS\r\n", false},
      {"* SEARCH 1\r\n", false}, {"+ OK\r\n", false},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.bytes);
    ASSERT_EQ(parsed.outcome, ImapParse::kComplete) << c.bytes;
    EXPECT_EQ(parsed.response.IsStatus(), c.status) << c.bytes;
  }
}

// However the server's bytes are cut by the network, a part of a response is never taken as
// malformed, and the whole gives the same response.
TEST(ImapResponseTest, EveryCutOfAResponseAwaitsTheRest) {
  for (const Complete& c : CompleteResponses()) {
    for (std::size_t cut = 0; cut < c.bytes.size(); ++cut) {
      const Parsed part = Parse(std::string_view(c.bytes).substr(0, cut));
      EXPECT_EQ(part.outcome, ImapParse::kIncomplete)
          << c.bytes << " cut at " << cut << ": " << part.problem;
    }
    // With the next response behind it, only the first is taken.
    const std::string twice = c.bytes + "V9 OK done\r\n";
    const Parsed first = Parse(twice);
    ASSERT_EQ(first.outcome, ImapParse::kComplete) << c.bytes;
    EXPECT_EQ(first.consumed, c.bytes.size()) << c.bytes;
    EXPECT_EQ(Shown(first.response), c.shown) << c.bytes;
    const Parsed second = Parse(std::string_view(twice).substr(first.consumed));
    ASSERT_EQ(second.outcome, ImapParse::kComplete) << c.bytes;
    EXPECT_EQ(Shown(second.response), "tag=V9 name=OK code=[] text=<done> values=");
  }
}

TEST(ImapResponseTest, TwoResponsesInOneBufferAreTakenOneAtATime) {
  const std::string buffer = "* 1 EXISTS\r\n* LIST () \"/\" {3}\r\nA B\r\nV1 OK done\r\n* 2";
  std::vector<std::string> shown;
  std::string_view rest = buffer;
  for (;;) {
    const Parsed parsed = Parse(rest);
    if (parsed.outcome != ImapParse::kComplete) {
      EXPECT_EQ(parsed.outcome, ImapParse::kIncomplete);
      break;
    }
    ASSERT_GT(parsed.consumed, 0u);
    ASSERT_LE(parsed.consumed, rest.size());
    shown.push_back(Shown(parsed.response));
    rest.remove_prefix(parsed.consumed);
  }
  EXPECT_EQ(rest, "* 2");
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "* #1 name=EXISTS code=[] text=<> values=",
                       "* name=LIST code=[] text=<> values=() \"/\" \"A B\"",
                       "tag=V1 name=OK code=[] text=<done> values=",
                   }));
}

TEST(ImapResponseTest, RefusesWhatIsNotImap) {
  const struct {
    std::string bytes;
    std::string_view why;
  } cases[] = {
      {"* SEARCH 1)\r\n", "\")\" without \"(\""},
      {"* LIST (\\HasNoChildren \"/\" A\r\n", "a line ends inside a list"},
      {"* LIST ((\\HasNoChildren) \"/\" A\r\n", "a line ends inside a list"},
      {"* LIST () \"/\" \"A\r\nB\"\r\n", "a line ends inside a quoted string"},
      {"* LIST () \"/\" \"A\\\r\nB\"\r\n", "a line ends inside a quoted string"},
      {"* LIST () \"/\" \"A\\\rB\"\r\n", "a line ends inside a quoted string"},
      {"* LIST () \"/\" \"A\nB\"\r\n", "a line ends inside a quoted string"},
      {"* X {99999999999999999999999}\r\nabc\r\n", "a literal without its size"},
      {"* X {}\r\n\r\n", "a literal without its size"},
      {"* X {12a}\r\n", "a literal without its size"},
      {"* X {-1}\r\n", "a literal without its size"},
      {"* X {3 \r\nabc\r\n", "\"{\" without \"}\""},
      {"* X {3}x\r\nabc\r\n", "a line end expected"},
      {"* X {" + std::to_string(kMaxImapResponse + 1) + "}\r\n", "larger than can be taken"},
      {"\r\n", "a line without a tag"},
      {" OK\r\n", "a line without a tag"},
      {"V1OK\r\n", "a space missing"},
      {"V1 FETCH 1\r\n", "a tagged line without status"},
      {"* 4294967296 EXISTS\r\n", "a number out of range"},
      {"* 3\r\n", "a response without a name"},
      {"* (a)\r\n", "a response without a name"},
      {"* OK [ALERT hi\r\n", "\"[\" without \"]\""},
      {"* X a\x01\r\n", "an unexpected character"},
      {"* X \x01\r\n", "an unexpected character"},
      {"* X a\rb\r\n", "a line end expected"},
      {"* X " + std::string(kMaxImapNesting + 1, '(') + std::string(kMaxImapNesting + 1, ')') +
           "\r\n",
       "nested too deep"},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.bytes);
    EXPECT_EQ(parsed.outcome, ImapParse::kMalformed) << c.bytes;
    EXPECT_NE(parsed.problem.find(c.why), std::string::npos) << c.bytes << ": " << parsed.problem;
    EXPECT_EQ(parsed.consumed, 12345u) << c.bytes;
  }
}

TEST(ImapResponseTest, NestingUpToTheBoundIsRead) {
  const std::string bytes =
      "* X " + std::string(kMaxImapNesting, '(') + "a" + std::string(kMaxImapNesting, ')') + "\r\n";
  const Parsed parsed = Parse(bytes);
  ASSERT_EQ(parsed.outcome, ImapParse::kComplete) << parsed.problem;
  const ImapValue* value = &parsed.response.values.at(0);
  int depth = 0;
  while (value->kind == ImapValue::Kind::kList) {
    ASSERT_EQ(value->items.size(), 1u);
    value = &value->items[0];
    ++depth;
  }
  EXPECT_EQ(depth, kMaxImapNesting);
  EXPECT_EQ(value->text, "a");
}

// A server that never ends its line, or announces more than is taken, is refused once the
// bound is passed rather than awaited without end; up to the bound it is awaited.
TEST(ImapResponseTest, ARunawayResponseIsRefusedAtTheBound) {
  const struct {
    std::string bytes;
    ImapParse outcome;
  } cases[] = {
      {"* X " + std::string(kMaxImapResponse - 4, 'a'), ImapParse::kIncomplete},
      {"* X " + std::string(kMaxImapResponse - 3, 'a'), ImapParse::kMalformed},
      {"* X {" + std::to_string(kMaxImapResponse) + "}\r\n" + std::string(1000, 'a'),
       ImapParse::kIncomplete},
      // Announced within the bound, but the response around it is over it.
      {"* X {" + std::to_string(kMaxImapResponse) + "}\r\n" + std::string(kMaxImapResponse, 'a'),
       ImapParse::kMalformed},
      {"* X {" + std::to_string(kMaxImapResponse) + "}\r\n" + std::string(kMaxImapResponse, 'a') +
           "\r\n",
       ImapParse::kMalformed},
      {"* X {" + std::to_string(kMaxImapResponse - 20) + "}\r\n" +
           std::string(kMaxImapResponse - 20, 'a') + "\r\n",
       ImapParse::kComplete},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.bytes);
    EXPECT_EQ(parsed.outcome, c.outcome) << c.bytes.substr(0, 30) << "... " << c.bytes.size();
    if (parsed.outcome == ImapParse::kMalformed) {
      EXPECT_NE(parsed.problem.find("larger than"), std::string::npos) << parsed.problem;
    }
  }
}

TEST(ImapResponseTest, WordsAreSplitAtSpaces) {
  const struct {
    std::string_view text;
    std::vector<std::string> words;
  } cases[] = {
      {"", {}},
      {"APPENDUID 38505 3955", {"APPENDUID", "38505", "3955"}},
      {"  CAPABILITY  IMAP4rev1 ", {"CAPABILITY", "IMAP4rev1"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ImapWords(c.text), c.words) << c.text;
}

}  // namespace
}  // namespace vandrel
