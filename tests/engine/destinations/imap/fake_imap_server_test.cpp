// The fake server itself, where its being wrong would let a client's fault pass: what it
// refuses, that it keeps bytes exactly, and that it notices a client that does not wait.
#include "destinations/imap/fake_imap_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandrel {
namespace {

using namespace std::string_literals;

// Everything the server has to say now; the fake never makes a reader wait.
std::string Drain(Connection& connection) {
  std::string said;
  char buffer[7];  // small, so that responses come in pieces
  std::string error;
  for (;;) {
    const std::ptrdiff_t got = connection.Receive(buffer, sizeof buffer, error);
    if (got <= 0) return said;
    said.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string Exchange(Connection& connection, std::string_view bytes) {
  std::string error;
  EXPECT_TRUE(connection.Send(bytes, error)) << error;
  return Drain(connection);
}

std::unique_ptr<Connection> LoggedIn(FakeImapServer& server) {
  std::unique_ptr<Connection> session = server.ConnectTls();
  Drain(*session);
  EXPECT_EQ(Exchange(*session, "a LOGIN calypso secret\r\n").substr(0, 5), "a OK ");
  return session;
}

TEST(FakeImapServerTest, OnlyTheRightSecretLogsIn) {
  const struct {
    std::string command;
    std::string_view answer;
  } cases[] = {
      {"a LOGIN calypso secret\r\n", "a OK "},
      {"a LOGIN calypso Secret\r\n", "a NO [AUTHENTICATIONFAILED]"},
      {"a LOGIN calypso secre\r\n", "a NO [AUTHENTICATIONFAILED]"},
      {"a LOGIN calypsO secret\r\n", "a NO [AUTHENTICATIONFAILED]"},
      {"a LOGIN calypso {6+}\r\nsecret\r\n", "a OK "},
      {"a AUTHENTICATE PLAIN AGNhbHlwc28Ac2VjcmV0\r\n", "a OK "},      // \0calypso\0secret
      {"a AUTHENTICATE PLAIN AGNhbHlwc28Ac2VjcmV1\r\n", "a NO "},      // \0calypso\0secreu
      {"a AUTHENTICATE PLAIN AGNhbHlwc28Ac2VjcmV0AA==\r\n", "a NO "},  // a NUL more
      {"a AUTHENTICATE XOAUTH2 dXNlcj1jYWx5cHNvAWF1dGg9QmVhcmVyIHRvawEB\r\n", "a OK "},
      {"a AUTHENTICATE XOAUTH2 dXNlcj1jYWx5cHNvAWF1dGg9QmVhcmVyIGJhZAEB\r\n", "+ eyJ"},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.xoauth2 = true;
    FakeImapServer server(options);
    std::unique_ptr<Connection> session = server.ConnectTls();
    Drain(*session);
    EXPECT_EQ(Exchange(*session, c.command).substr(0, c.answer.size()), c.answer) << c.command;
    EXPECT_EQ(server.Logins(), c.answer == "a OK " ? 1 : 0) << c.command;
  }
}

TEST(FakeImapServerTest, KeepsALiteralsBytesExactly) {
  FakeImapOptions options;
  options.binary = true;
  FakeImapServer server(options);
  std::unique_ptr<Connection> session = LoggedIn(server);
  const std::string text = "a\r\nb\nc\rd\xFF\x80 \"{3}\r\n)";
  const std::string binary = "x\0y\r\n"s;
  // Sent a byte at a time: the server must not depend on how the bytes come.
  const std::string commands = "b APPEND INBOX {" + std::to_string(text.size()) + "+}\r\n" + text +
                               "\r\nc APPEND INBOX ~{5+}\r\n" + binary + "\r\n";
  std::string error;
  for (const char c : commands)
    ASSERT_TRUE(session->Send(std::string_view(&c, 1), error));
  EXPECT_EQ(Drain(*session),
            "b OK [APPENDUID 1700000000 1] Append completed.\r\n"
            "c OK [APPENDUID 1700000000 2] Append completed.\r\n");
  const std::optional<FakeImapMailbox> inbox = server.Mailbox("INBOX");
  ASSERT_TRUE(inbox.has_value());
  ASSERT_EQ(inbox->messages.size(), 2u);
  EXPECT_EQ(inbox->messages[0].text, text);
  EXPECT_EQ(inbox->messages[1].text, binary);
}

// A client that sends a synchronizing literal's bytes before the "+" has not waited; the
// server says so, or a test of the wait could not fail.
TEST(FakeImapServerTest, RefusesLiteralsItDidNotAllow) {
  const struct {
    bool literalPlus;
    bool binary;
    std::string command;
    std::string_view fault;
  } cases[] = {
      {true, false, "b APPEND INBOX {3}\r\nabc\r\n", "a literal sent before the server's \"+\""},
      {false, false, "b APPEND INBOX {3+}\r\nabc\r\n", "a non-synchronizing literal, not offered"},
      {true, false, "b APPEND INBOX ~{3+}\r\nabc\r\n", "a literal8 where BINARY does not allow it"},
      {true, false, "b APPEND INBOX {3+}\r\na\0c\r\n"s, "a NUL in a literal that is not literal8"},
      {true, true, "b LOGIN ~{3+}\r\nabc secret\r\n", "a literal8 where BINARY does not allow it"},
      {true, false, "b APPEND INBOX \"a\xC3\xA4\"\r\n", "8-bit bytes in a quoted string"},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.literalPlus = c.literalPlus;
    options.binary = c.binary;
    FakeImapServer server(options);
    std::unique_ptr<Connection> session = LoggedIn(server);
    const std::string answer = Exchange(*session, c.command);
    EXPECT_NE(answer.find("b BAD "), std::string::npos) << c.command << answer;
    ASSERT_EQ(server.ClientFaults().size(), 1u) << c.command;
    EXPECT_EQ(server.ClientFaults()[0].substr(0, c.fault.size()), c.fault) << c.command;
    EXPECT_TRUE(server.Mailbox("INBOX")->messages.empty()) << c.command;
    // The literal was taken as the command's, not as commands of its own.
    EXPECT_EQ(Exchange(*session, "c NOOP\r\n"), "c OK NOOP completed.\r\n") << c.command;
  }
}

TEST(FakeImapServerTest, AnswersAsDovecotDoes) {
  FakeImapOptions options;
  options.quotaMarker = "X-Full";
  options.refusedNameCharacters = "#";
  FakeImapServer server(options);
  server.AddMailbox("A/B/C");
  server.AddMailbox("Ab");
  server.AddMessage("Ab", "Subject: Hello\r\n World\r\nX-Id: 1\r\n\r\nbody\r\n");
  server.AddMessage("Ab", "Subject: other\r\n\r\nX-Id: 1 hello world\r\n");
  std::unique_ptr<Connection> session = LoggedIn(server);
  const struct {
    std::string command;
    std::string answer;
  } script[] = {
      {"b LIST \"\" \"\"\r\n", "* LIST (\\Noselect) \"/\" \"\"\r\nb OK List completed.\r\n"},
      {"c LIST \"\" *\r\n",
       "* LIST (\\Noselect \\HasChildren) \"/\" A\r\n"
       "* LIST (\\Noselect \\HasChildren) \"/\" A/B\r\n"
       "* LIST (\\HasNoChildren) \"/\" A/B/C\r\n"
       "* LIST (\\HasNoChildren) \"/\" Ab\r\n"
       "* LIST (\\HasNoChildren) \"/\" INBOX\r\n"
       "c OK List completed.\r\n"},
      {"d LIST \"\" A/%\r\n",
       "* LIST (\\Noselect \\HasChildren) \"/\" A/B\r\nd OK List completed.\r\n"},
      {"e CREATE A/B/C\r\n", "e NO [ALREADYEXISTS] Mailbox already exists\r\n"},
      {"f CREATE inbox\r\n", "f NO [ALREADYEXISTS] Mailbox already exists\r\n"},
      {"g CREATE \"x#y\"\r\n", "g NO [CANNOT] Character not allowed in mailbox name: '#'\r\n"},
      {"h APPEND Missing {1+}\r\nm\r\n", "h NO [TRYCREATE] Mailbox doesn't exist: Missing\r\n"},
      {"i APPEND INBOX {9+}\r\nX-Full: 1\r\n", "i NO [OVERQUOTA] Quota exceeded (X-Full)\r\n"},
      {"j SELECT Ab\r\n",
       "* FLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft)\r\n"
       "* OK [PERMANENTFLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft \\*)] Flags "
       "permitted.\r\n"
       "* 2 EXISTS\r\n* 0 RECENT\r\n* OK [UIDVALIDITY 1700000002] UIDs valid\r\n"
       "* OK [UIDNEXT 3] Predicted next UID\r\nj OK [READ-WRITE] Select completed.\r\n"},
      // The header's value unfolded; the body does not count.
      {"k UID SEARCH HEADER Subject \"hello world\"\r\n",
       "* SEARCH 1\r\nk OK Search completed.\r\n"},
      {"l UID SEARCH CHARSET UTF-8 HEADER x-id \"\" LARGER 30\r\n",
       "* SEARCH 1\r\nl OK Search completed.\r\n"},
      {"m UID SEARCH SMALLER 30 ALL\r\n", "* SEARCH\r\nm OK Search completed.\r\n"},
      {"n APPEND Ab {1+}\r\nm\r\n",
       "* 3 EXISTS\r\nn OK [APPENDUID 1700000002 3] Append completed.\r\n"},
  };
  for (const auto& step : script)
    EXPECT_EQ(Exchange(*session, step.command), step.answer) << step.command;
  EXPECT_EQ(server.ClientFaults(), std::vector<std::string>());
}

TEST(FakeImapServerTest, ADroppedSessionSaysNoMore) {
  FakeImapOptions options;
  options.dropAfterAppend = 1;
  FakeImapServer server(options);
  std::unique_ptr<Connection> session = LoggedIn(server);
  char buffer[64];
  std::string error;
  // Nothing to say while the server awaits a command: a failure, not a wait.
  EXPECT_EQ(session->Receive(buffer, sizeof buffer, error), -1);
  EXPECT_EQ(Exchange(*session, "b APPEND INBOX {1+}\r\nm\r\n"), "");
  EXPECT_EQ(session->Receive(buffer, sizeof buffer, error), 0);
  EXPECT_FALSE(session->Send("c NOOP\r\n", error));
  EXPECT_EQ(server.Mailbox("INBOX")->messages.size(), 1u);
  // Once only: the next session's APPEND is answered.
  std::unique_ptr<Connection> again = LoggedIn(server);
  EXPECT_EQ(Exchange(*again, "b APPEND INBOX {1+}\r\nm\r\n"),
            "b OK [APPENDUID 1700000000 2] Append completed.\r\n");
}

}  // namespace
}  // namespace vandrel
