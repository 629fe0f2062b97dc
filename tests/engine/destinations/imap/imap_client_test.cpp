// The IMAP client against the fake server: how strings and literals go out, what a lost
// connection turns into, and STARTTLS.
#include "engine/destinations/imap/imap_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "destinations/imap/fake_imap_server.h"

namespace vandrel {
namespace {

using Kind = ImapArgument::Kind;

ImapReply Login(ImapClient& client, std::string_view user = "calypso",
                std::string_view password = "secret") {
  return client.Command({{Kind::kText, "LOGIN "},
                         {Kind::kString, user},
                         {Kind::kText, " "},
                         {Kind::kString, password}});
}

ImapReply Append(ImapClient& client, std::string_view mailbox, std::string_view message) {
  return client.Command({{Kind::kText, "APPEND "},
                         {Kind::kString, mailbox},
                         {Kind::kText, " (\\Seen) \" 7-Mar-2004 10:11:12 +0100\" "},
                         {Kind::kString, message}});
}

// A client greeted and logged in.
struct Session {
  explicit Session(FakeImapServer& server) : client(server.ConnectTls()) {
    EXPECT_TRUE(client.Greeting().Ok());
    const ImapReply login = Login(client);
    EXPECT_TRUE(login.Ok()) << login.Told();
  }
  ImapClient client;
};

// The command the server got last, whole.
std::string LastCommand(const FakeImapServer& server) {
  const std::vector<FakeImapReceived> received = server.Received();
  return received.empty() ? std::string() : received.back().bytes;
}

TEST(ImapClientTest, ALiteralWaitsForTheServerUnlessItNeedNot) {
  const struct {
    bool literalPlus;
    bool literalMinus;
    std::size_t size;
    std::string_view announced;
  } cases[] = {
      {true, false, 10, "{10+}"},     {true, false, 70000, "{70000+}"},
      {false, true, 4096, "{4096+}"}, {false, true, 4097, "{4097}"},
      {false, false, 10, "{10}"},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.literalPlus = c.literalPlus;
    options.literalMinus = c.literalMinus;
    FakeImapServer server(options);
    Session session(server);
    // Line ends make it a literal whatever its size.
    const std::string message = "x\r\n" + std::string(c.size - 3, 'm');
    const ImapReply reply = Append(session.client, "INBOX", message);
    EXPECT_TRUE(reply.Ok()) << c.size << ": " << reply.Told();
    EXPECT_NE(LastCommand(server).find(std::string(c.announced) + "\r\n" + message + "\r\n"),
              std::string::npos)
        << c.size << ": " << LastCommand(server).substr(0, 80);
    // The server takes a literal sent before its "+" for a fault of the client.
    EXPECT_EQ(server.ClientFaults(), std::vector<std::string>()) << c.size;
    const std::optional<FakeImapMailbox> inbox = server.Mailbox("INBOX");
    ASSERT_TRUE(inbox.has_value());
    ASSERT_EQ(inbox->messages.size(), 1u) << c.size;
    EXPECT_EQ(inbox->messages[0].text, message);
    EXPECT_EQ(inbox->messages[0].flags, std::vector<std::string>{"\\Seen"});
    EXPECT_EQ(inbox->messages[0].internalDate, " 7-Mar-2004 10:11:12 +0100");
    EXPECT_EQ(reply.code, "APPENDUID 1700000000 1");
  }
}

// A refusal at a synchronizing literal's size ends the command: the literal is not sent, so
// it cannot be read as commands.
TEST(ImapClientTest, ARefusalInsteadOfTheGoAheadEndsTheCommand) {
  FakeImapOptions options;
  options.literalPlus = false;
  options.appendLimit = 100;
  FakeImapServer server(options);
  Session session(server);
  const ImapReply refused = Append(session.client, "INBOX", "x\r\n" + std::string(98, 'm'));
  EXPECT_EQ(refused.status, ImapReply::Status::kNo);
  EXPECT_EQ(refused.code, "TOOBIG");
  EXPECT_EQ(session.client.CapabilityValue("APPENDLIMIT"), "100");
  const ImapReply noop = session.client.Command("NOOP");
  EXPECT_TRUE(noop.Ok()) << noop.Told();
  EXPECT_EQ(LastCommand(server), "V3 NOOP\r\n");
  EXPECT_EQ(server.ClientFaults(), std::vector<std::string>());
}

// Each string goes quoted where a quoted string can hold it, else as a literal; either way
// the server gets its bytes exactly (the password must match to the byte).
TEST(ImapClientTest, StringsGoQuotedOrAsLiterals) {
  const struct {
    std::string password;
    std::string sent;
  } cases[] = {
      {"secret", "\"secret\""},
      {"", "\"\""},
      {"pa\"ss\\word", "\"pa\\\"ss\\\\word\""},
      {"p\xC3\xA4ss", "{5+}\r\np\xC3\xA4ss"},
      {"pass\r\nV9 LOGOUT", "{15+}\r\npass\r\nV9 LOGOUT"},
      {"pass\nword", "{9+}\r\npass\nword"},
      {std::string("pa\0ss", 5), std::string("{5+}\r\npa\0ss", 11)},
      {std::string(1000, 'p'), "\"" + std::string(1000, 'p') + "\""},
      {std::string(1001, 'p'), "{1001+}\r\n" + std::string(1001, 'p')},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.password = c.password;
    FakeImapServer server(options);
    ImapClient client(server.ConnectTls());
    ASSERT_TRUE(client.Greeting().Ok());
    const ImapReply reply = Login(client, "calypso", c.password);
    EXPECT_TRUE(reply.Ok()) << c.sent << ": " << reply.Told();
    EXPECT_EQ(LastCommand(server), "V1 LOGIN \"calypso\" " + c.sent + "\r\n");
  }
}

TEST(ImapClientTest, EightBitStringsGoQuotedOnceUtf8IsEnabled) {
  FakeImapOptions options;
  options.utf8Accept = true;
  FakeImapServer server(options);
  Session session(server);
  const std::string name = "Entw\xC3\xBCrfe";
  ASSERT_TRUE(session.client.Has("UTF8=ACCEPT"));
  ASSERT_TRUE(session.client.Command("ENABLE UTF8=ACCEPT").Ok());
  session.client.SetUtf8(true);
  const ImapReply created =
      session.client.Command({{Kind::kText, "CREATE "}, {Kind::kString, name}});
  EXPECT_TRUE(created.Ok()) << created.Told();
  EXPECT_EQ(LastCommand(server), "V3 CREATE \"" + name + "\"\r\n");
  EXPECT_TRUE(server.Mailbox(name).has_value());
}

TEST(ImapClientTest, ALostConnectionAnswersEveryLaterCommandWithWhy) {
  FakeImapOptions options;
  options.dropAfterAppend = 2;
  FakeImapServer server(options);
  Session session(server);
  ASSERT_TRUE(Append(session.client, "INBOX", "Subject: 1\r\n\r\none\r\n").Ok());
  const ImapReply lost = Append(session.client, "INBOX", "Subject: 2\r\n\r\ntwo\r\n");
  EXPECT_EQ(lost.status, ImapReply::Status::kLost);
  EXPECT_EQ(lost.text, "the server closed the connection");
  const std::size_t received = server.Received().size();
  for (const ImapReply& later : {session.client.Command("NOOP"), session.client.Answer(""),
                                 session.client.RefreshCapabilities()}) {
    EXPECT_EQ(later.status, ImapReply::Status::kLost);
    EXPECT_EQ(later.text, "the server closed the connection");
  }
  EXPECT_EQ(server.Received().size(), received);
  // The server stored the message it did not confirm; a new session goes on.
  EXPECT_EQ(server.Mailbox("INBOX")->messages.size(), 2u);
  Session again(server);
  EXPECT_TRUE(Append(again.client, "INBOX", "Subject: 3\r\n\r\nthree\r\n").Ok());
}

TEST(ImapClientTest, AByeBeforeTheCloseIsToldInTheServersWords) {
  FakeImapOptions options;
  options.byeAtCommand = 2;  // the one after LOGIN
  options.byeText = "Server shutting down for maintenance.";
  FakeImapServer server(options);
  Session session(server);
  const ImapReply lost = session.client.Command("NOOP");
  EXPECT_EQ(lost.status, ImapReply::Status::kLost);
  EXPECT_EQ(lost.text, "Server shutting down for maintenance.");
  const ImapReply later = session.client.Command("NOOP");
  EXPECT_EQ(later.status, ImapReply::Status::kLost);
  EXPECT_EQ(later.text, "Server shutting down for maintenance.");
}

TEST(ImapClientTest, LogoutEndsWithOk) {
  FakeImapServer server;
  Session session(server);
  const ImapReply bye = session.client.Command("LOGOUT");
  EXPECT_TRUE(bye.Ok()) << bye.Told();
  ASSERT_EQ(session.client.Untagged().size(), 1u);
  EXPECT_EQ(session.client.Untagged()[0].name, "BYE");
}

TEST(ImapClientTest, CapabilitiesAreReadAgainAfterStartTlsAndLogin) {
  FakeImapOptions options;
  options.plaintextNeedsTls = true;
  options.appendLimit = 5000;
  FakeImapServer server(options);
  ImapClient client(server.Connect());
  ASSERT_TRUE(client.Greeting().Ok());
  EXPECT_TRUE(client.Has("STARTTLS"));
  EXPECT_TRUE(client.Has("LOGINDISABLED"));
  EXPECT_FALSE(client.Has("AUTH=PLAIN"));

  const ImapReply tls = client.StartTls(FakeStartTls);
  ASSERT_TRUE(tls.Ok()) << tls.Told();
  EXPECT_FALSE(client.Has("STARTTLS"));
  EXPECT_FALSE(client.Has("LOGINDISABLED"));
  EXPECT_TRUE(client.Has("auth=plain"));
  EXPECT_FALSE(client.Has("UIDPLUS"));
  EXPECT_EQ(client.CapabilityValue("APPENDLIMIT"), std::nullopt);

  ASSERT_TRUE(Login(client).Ok());
  EXPECT_TRUE(client.Has("UIDPLUS"));
  EXPECT_FALSE(client.Has("AUTH=PLAIN"));
  EXPECT_EQ(client.CapabilityValue("appendlimit"), "5000");
  // The password went under TLS only.
  for (const FakeImapReceived& received : server.Received())
    EXPECT_TRUE(received.tls || received.bytes.find("secret") == std::string::npos)
        << received.bytes;
  EXPECT_EQ(server.ClientFaults(), std::vector<std::string>());
}

TEST(ImapClientTest, CapabilitiesAreAskedForWhenTheServerAnnouncesNone) {
  FakeImapOptions options;
  options.capabilitiesInGreeting = false;
  options.capabilitiesAfterLogin = false;
  FakeImapServer server(options);
  ImapClient client(server.ConnectTls());
  ASSERT_TRUE(client.Greeting().Ok());
  EXPECT_FALSE(client.Has("IMAP4rev1"));
  ASSERT_TRUE(client.RefreshCapabilities().Ok());
  EXPECT_TRUE(client.Has("AUTH=PLAIN"));
  ASSERT_TRUE(Login(client).Ok());
  EXPECT_FALSE(client.Has("UIDPLUS"));
  ASSERT_TRUE(client.RefreshCapabilities().Ok());
  EXPECT_TRUE(client.Has("UIDPLUS"));
}

TEST(ImapClientTest, StartTlsFailsSafely) {
  const struct {
    std::string_view name;
    std::string injected;
    std::string tlsFailure;
    std::string_view told;
  } cases[] = {
      // An attacker's response behind the OK would be taken as the server's under TLS.
      {"injected", "* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] injected\r\n", "",
       "the server sent more than its answer to STARTTLS"},
      {"certificate", "", "certificate verify failed: self-signed certificate",
       "certificate verify failed: self-signed certificate"},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.afterStartTlsOk = c.injected;
    options.tlsFailure = c.tlsFailure;
    FakeImapServer server(options);
    ImapClient client(server.Connect());
    ASSERT_TRUE(client.Greeting().Ok());
    const ImapReply tls = client.StartTls(FakeStartTls);
    EXPECT_EQ(tls.status, ImapReply::Status::kLost) << c.name;
    EXPECT_EQ(tls.text, c.told) << c.name;
    // Nothing more goes out, the password least of all.
    const ImapReply login = Login(client);
    EXPECT_EQ(login.status, ImapReply::Status::kLost) << c.name;
    EXPECT_EQ(login.text, c.told) << c.name;
    for (const FakeImapReceived& received : server.Received())
      EXPECT_EQ(received.bytes.find("secret"), std::string::npos) << c.name;
  }
}

TEST(ImapClientTest, SaslChallengesAreAnswered) {
  FakeImapOptions options;
  options.saslIr = false;
  options.xoauth2 = true;
  FakeImapServer server(options);
  {
    ImapClient client(server.ConnectTls());
    ASSERT_TRUE(client.Greeting().Ok());
    const ImapReply challenge = client.Command("AUTHENTICATE PLAIN");
    ASSERT_EQ(challenge.status, ImapReply::Status::kContinue);
    EXPECT_EQ(challenge.text, "");
    const ImapReply done = client.Answer("AGNhbHlwc28Ac2VjcmV0");  // "\0calypso\0secret"
    EXPECT_TRUE(done.Ok()) << done.Told();
    EXPECT_TRUE(client.Has("UIDPLUS"));
  }
  {
    ImapClient client(server.ConnectTls());
    ASSERT_TRUE(client.Greeting().Ok());
    ASSERT_EQ(client.Command("AUTHENTICATE XOAUTH2").status, ImapReply::Status::kContinue);
    // "user=calypso\1auth=Bearer bad\1\1": the server's error comes as a challenge.
    const ImapReply error = client.Answer("dXNlcj1jYWx5cHNvAWF1dGg9QmVhcmVyIGJhZAEB");
    ASSERT_EQ(error.status, ImapReply::Status::kContinue);
    EXPECT_EQ(error.text,
              "eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJodHRwczovL21haWwuZ29v"
              "Z2xlLmNvbS8ifQ==");
    const ImapReply refused = client.Answer("");
    EXPECT_EQ(refused.status, ImapReply::Status::kNo);
    EXPECT_EQ(refused.code, "AUTHENTICATIONFAILED");
  }
}

}  // namespace
}  // namespace vandrel
