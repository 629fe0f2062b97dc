// The upload into a mail account, against the fake server: the tree and its names, what is
// stored of each message, refusals that leave the rest going, and reruns that store nothing
// twice.
#include "engine/destinations/imap/imap_destination.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "destinations/imap/fake_imap_server.h"
#include "engine/destinations/imap/upload_journal.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

struct Mail {
  std::string folder;  // the export's name, "\" between segments
  std::string subject;
  std::string date = "Mon, 01 Mar 2004 19:42:10 +0100";
  std::string messageId = {};  // empty: none
  std::string body = "Text\r\n";
};

ConvertedMessage Converted(const Mail& mail) {
  ConvertedMessage message;
  message.text = "Date: " + mail.date + "\r\nSubject: " + mail.subject + "\r\n";
  if (!mail.messageId.empty()) message.text += "Message-ID: <" + mail.messageId + ">\r\n";
  message.text += "\r\n" + mail.body;
  message.dateField = mail.date;
  message.subject = mail.subject;
  message.exportDate = CalypsoDate{"Wed", "Dec", 31, "23:59:59", "2003"};
  return message;
}

// A run as the pipeline makes it, folder by folder in the order the mails first name them.
struct Upload {
  std::string error;
  RunFindings findings;
  std::string note;
};

class ImapDestinationTest : public ::testing::Test {
 protected:
  ImapNetwork Network(FakeImapServer& server) {
    ImapNetwork network;
    network.connect = [&server](const std::string&, std::uint16_t, std::string&) {
      return server.Connect();
    };
    network.startTls = [](std::unique_ptr<Connection> plain, const std::string&,
                          std::string& error) { return FakeStartTls(std::move(plain), error); };
    return network;
  }

  Upload Run(FakeImapServer& server, const std::vector<Mail>& mails,
             const std::string& address = "imap://calypso@mail.example.org/Calypso",
             AccountAccess access = {"secret", "", "", ""}) {
    if (access.journalFolder.empty() && useJournal_)
      access.journalFolder = journal_.Path().string();
    ImapDestination destination(address, access, export_, Network(server),
                                ImapDestination::Pauses(3, std::chrono::milliseconds(0)));
    Upload upload;
    const auto fail = [&](std::string problem) {
      upload.error = std::move(problem);
      destination.Abandon();
      return upload;
    };
    if (std::string problem = destination.Check(); !problem.empty()) return fail(problem);
    if (std::string problem = destination.Prepare(); !problem.empty()) return fail(problem);
    std::vector<std::string> order;
    for (const Mail& mail : mails)
      if (std::find(order.begin(), order.end(), mail.folder) == order.end())
        order.push_back(mail.folder);
    for (const std::string& folder : order) {
      if (std::string problem = destination.BeginFolder({folder, FolderPathOf(folder)});
          !problem.empty())
        return fail(problem);
      for (const Mail& mail : mails) {
        if (mail.folder != folder) continue;
        if (std::string problem = destination.Add(Converted(mail)); !problem.empty())
          return fail(problem);
        upload.findings.Add(destination.TakeFindings());
      }
      const std::string ended = destination.EndFolder();
      upload.findings.Add(destination.TakeFindings());
      if (!ended.empty()) return fail(ended);
    }
    const std::string finished = destination.Finish();
    upload.findings.Add(destination.TakeFindings());
    if (!finished.empty()) return fail(finished);
    upload.note = destination.Note();
    return upload;
  }

  // Every stored message, by mailbox, as its subjects.
  static std::map<std::string, std::vector<std::string>> Subjects(const FakeImapServer& server) {
    std::map<std::string, std::vector<std::string>> subjects;
    for (const std::string& name : server.MailboxNames()) {
      const std::optional<FakeImapMailbox> mailbox = server.Mailbox(name);
      for (const FakeImapMessage& message : mailbox->messages) {
        const std::size_t at = message.text.find("Subject: ") + 9;
        subjects[name].push_back(message.text.substr(at, message.text.find("\r\n", at) - at));
      }
    }
    return subjects;
  }

  TempFolder journal_;
  TempFolder folder_;
  std::string export_ = folder_.WriteFile("export.txt", "an export");
  bool useJournal_ = true;
};

TEST_F(ImapDestinationTest, TheTreeGoesUnderTheTopWithTheServersNames) {
  const std::vector<Mail> mails = {
      {"Family\\Holidays", "h1"},
      {"Family", "f1"},
      {"Reise/Urlaub.2003", "r1"},
      {"Tom & Jerry", "t1"},
      {"\xC3\x84rger", "a1"},
      {"A\\\\B", "ab1"},
      {"A\\B", "ab2"},
      {"Family\\Holidays", "h2"},
  };
  const struct {
    char separator;
    bool utf8;
    std::map<std::string, std::vector<std::string>> stored;
  } cases[] = {
      {'/',
       false,
       {{"Archiv/Calypso/Family/Holidays", {"h1", "h2"}},
        {"Archiv/Calypso/Family", {"f1"}},
        {"Archiv/Calypso/Reise_Urlaub_2003", {"r1"}},
        {"Archiv/Calypso/Tom &- Jerry", {"t1"}},
        {"Archiv/Calypso/&AMQ-rger", {"a1"}},
        {"Archiv/Calypso/A/B", {"ab1"}},
        {"Archiv/Calypso/A/B-2", {"ab2"}}}},
      {'.',
       true,
       {{"Archiv.Calypso.Family.Holidays", {"h1", "h2"}},
        {"Archiv.Calypso.Family", {"f1"}},
        {"Archiv.Calypso.Reise_Urlaub_2003", {"r1"}},
        {"Archiv.Calypso.Tom & Jerry", {"t1"}},
        {"Archiv.Calypso.\xC3\x84rger", {"a1"}},
        {"Archiv.Calypso.A.B", {"ab1"}},
        {"Archiv.Calypso.A.B-2", {"ab2"}}}},
  };
  for (const auto& c : cases) {
    FakeImapOptions options;
    options.separator = c.separator;
    options.utf8Accept = c.utf8;
    FakeImapServer server(options);
    const Upload upload = Run(server, mails, "imap://calypso@mail.example.org/Archiv/Calypso");
    ASSERT_EQ(upload.error, "") << c.separator;
    EXPECT_EQ(Subjects(server), c.stored) << c.separator;
    // Every parent is a folder of its own, so that the tree shows and can take mail.
    for (const auto& [name, subjects] : c.stored) {
      for (std::size_t at = name.find(c.separator); at != std::string::npos;
           at = name.find(c.separator, at + 1))
        EXPECT_TRUE(server.Mailbox(name.substr(0, at)).has_value()) << name.substr(0, at);
    }
    EXPECT_EQ(server.ClientFaults(), std::vector<std::string>());
    EXPECT_EQ(upload.note, "8 messages stored in imap://calypso@mail.example.org/Archiv/Calypso.");
  }
}

TEST_F(ImapDestinationTest, AMessageIsStoredWholeUnreadAndDatedByItsDateField) {
  FakeImapServer server;
  std::vector<Mail> mails = {{"Inbox", "dated", "Thu, 15 Jan 2004 08:30:00 -0500", "a@x"},
                             {"Inbox", "undated", "some day", "b@x"},
                             {"Inbox", "nul", "Mon, 01 Mar 2004 19:42:10 +0100", "c@x"}};
  mails[2].body = std::string("with a NUL \0 in it\r\n", 20);
  const Upload upload = Run(server, mails);
  ASSERT_EQ(upload.error, "");
  const std::vector<FakeImapMessage> stored = server.Mailbox("Calypso/Inbox")->messages;
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].text, Converted(mails[0]).text);
  EXPECT_EQ(stored[0].internalDate, "15-Jan-2004 13:30:00 +0000");
  EXPECT_TRUE(stored[0].flags.empty());
  // No Date to go by: the date the export gave it.
  EXPECT_EQ(stored[1].internalDate, "31-Dec-2003 23:59:59 +0000");
  // A NUL goes only where the server takes binary literals; else it is told, not cut.
  ASSERT_EQ(upload.findings.notStored.size(), 1u);
  EXPECT_EQ(upload.findings.notStored[0].subject, "nul");
  FakeImapOptions binary;
  binary.binary = true;
  FakeImapServer binaryServer(binary);
  useJournal_ = false;
  ASSERT_EQ(Run(binaryServer, mails).error, "");
  EXPECT_EQ(binaryServer.Mailbox("Calypso/Inbox")->messages.at(2).text, Converted(mails[2]).text);
}

TEST_F(ImapDestinationTest, RefusedMessagesAndFoldersAreToldAndTheRestStored) {
  FakeImapOptions options;
  options.quotaMarker = "QUOTA";
  options.appendLimit = 200;
  options.refusedNameCharacters = "#";
  FakeImapServer server(options);
  std::vector<Mail> mails = {
      {"Inbox", "first"},
      {"Inbox", "over quota", "Mon, 01 Mar 2004 19:42:10 +0100", "", "QUOTA\r\n"},
      {"Inbox", "too big", "Mon, 01 Mar 2004 19:42:10 +0100", "", std::string(300, 'x') + "\r\n"},
      {"C#", "refused folder"},
      {"Inbox", "last"}};
  const Upload upload = Run(server, mails);
  ASSERT_EQ(upload.error, "");
  EXPECT_EQ(Subjects(server)["Calypso/Inbox"], (std::vector<std::string>{"first", "last"}));
  ASSERT_EQ(upload.findings.notStored.size(), 3u);
  const auto& told = upload.findings.notStored;
  EXPECT_EQ(told[0].subject, "over quota");
  EXPECT_NE(told[0].problem.find("[OVERQUOTA]"), std::string::npos) << told[0].problem;
  EXPECT_EQ(told[0].folder, "Calypso/Inbox");
  EXPECT_EQ(told[1].subject, "too big");
  EXPECT_NE(told[1].problem.find("200 bytes"), std::string::npos) << told[1].problem;
  EXPECT_EQ(told[2].subject, "refused folder");
  EXPECT_NE(told[2].problem.find("[CANNOT]"), std::string::npos) << told[2].problem;
  // The message over the limit was never sent.
  for (const FakeImapReceived& received : server.Received())
    EXPECT_EQ(received.bytes.find(std::string(300, 'x')), std::string::npos);
}

TEST_F(ImapDestinationTest, ARerunStoresOnlyWhatIsMissing) {
  std::vector<Mail> mails;
  for (int i = 0; i < 6; ++i)
    mails.push_back({i < 3 ? "Inbox" : "Sent", "m" + std::to_string(i),
                     "Mon, 01 Mar 2004 19:42:1" + std::to_string(i) + " +0100",
                     i == 4 ? "" : "id" + std::to_string(i) + "@x"});
  // The same message twice in one folder is stored twice.
  mails.push_back(mails[1]);
  const std::map<std::string, std::vector<std::string>> whole = {
      {"Calypso/Inbox", {"m0", "m1", "m2", "m1"}}, {"Calypso/Sent", {"m3", "m4", "m5"}}};
  const struct {
    const char* name;
    bool journal;
    int dropAfter;
  } cases[] = {{"with the journal", true, 0},
               {"without the journal", false, 0},
               {"dropped, with the journal", true, 3},
               {"dropped, without the journal", false, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder journal;
    FakeImapOptions options;
    options.dropAfterAppend = c.dropAfter;
    FakeImapServer server(options);
    AccountAccess access{"secret", "", "", c.journal ? journal.Path().string() : ""};
    useJournal_ = c.journal;
    // A first run cut short: the first mails only.
    const std::vector<Mail> some(mails.begin(), mails.begin() + 4);
    ASSERT_EQ(Run(server, some, "imap://calypso@h/Calypso", access).error, "");
    const Upload upload = Run(server, mails, "imap://calypso@h/Calypso", access);
    ASSERT_EQ(upload.error, "");
    EXPECT_EQ(Subjects(server), whole);
    EXPECT_EQ(upload.note, "3 messages stored in imap://calypso@h/Calypso, 4 were there already.");
  }
}

TEST_F(ImapDestinationTest, SignInRefusalsEndTheRunWithTheServersWordsAndNoSecret) {
  const struct {
    const char* name;
    FakeImapOptions options;
    AccountAccess access;
    std::string address;
    std::string told;
  } cases[] = {
      {"wrong password",
       {},
       {"wrong-pw", "", "", ""},
       "imap://calypso@h/C",
       "[AUTHENTICATIONFAILED]"},
      {"no STARTTLS",
       [] {
         FakeImapOptions o;
         o.startTls = false;
         return o;
       }(),
       {"secret", "", "", ""},
       "imap://calypso@h/C",
       "does not offer STARTTLS"},
      {"certificate",
       [] {
         FakeImapOptions o;
         o.tlsFailure = "the server's certificate is not trusted";
         return o;
       }(),
       {"secret", "", "", ""},
       "imap://calypso@h/C",
       "not trusted"},
      {"token nowhere taken", {}, {"", "tok", "", ""}, "imap://calypso@h/C", "OAUTHBEARER"},
      {"bad address", {}, {"secret", "", "", ""}, "imap://h/C", "names no user"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeImapServer server(c.options);
    const Upload upload = Run(server, {{"Inbox", "m"}}, c.address, c.access);
    EXPECT_NE(upload.error.find(c.told), std::string::npos) << upload.error;
    EXPECT_EQ(upload.error.find("wrong-pw"), std::string::npos);
    EXPECT_EQ(server.MailboxNames(), std::vector<std::string>{"INBOX"});
    if (std::string(c.name) == "no STARTTLS") {
      for (const FakeImapReceived& received : server.Received())
        EXPECT_EQ(received.bytes.find("secret"), std::string::npos) << received.bytes;
    }
  }
}

TEST_F(ImapDestinationTest, ATokenSignsInWhereTheServerTakesOne) {
  useJournal_ = false;  // each server is a new account under one address
  for (const bool bearer : {true, false}) {
    FakeImapOptions options;
    options.oauthBearer = bearer;
    options.xoauth2 = !bearer;
    FakeImapServer server(options);
    const Upload upload = Run(server, {{"Inbox", "m"}}, "imap://calypso@h/C", {"", "tok", "", ""});
    EXPECT_EQ(upload.error, "") << bearer;
    EXPECT_EQ(Subjects(server)["C/Inbox"], std::vector<std::string>{"m"});
    FakeImapServer refusing(options);
    const Upload refused =
        Run(refusing, {{"Inbox", "m"}}, "imap://calypso@h/C", {"", "stale", "", ""});
    EXPECT_NE(refused.error.find("refused the sign-in"), std::string::npos) << refused.error;
  }
}

TEST_F(ImapDestinationTest, AConnectionThatStaysLostEndsTheRunSayingARerunContinues) {
  FakeImapOptions options;
  options.dropAfterAppend = 2;
  options.maxLogins = 1;
  FakeImapServer server(options);
  const Upload upload =
      Run(server, {{"Inbox", "a"}, {"Inbox", "b"}, {"Inbox", "c"}}, "imap://calypso@h/C");
  EXPECT_NE(upload.error.find("was lost"), std::string::npos) << upload.error;
  EXPECT_NE(upload.error.find("Run the same command again"), std::string::npos);
  FakeImapOptions fine;
  // The server kept what it stored; the rerun (a new server with those messages) adds the rest.
  EXPECT_EQ(server.Mailbox("C/Inbox")->messages.size(), 2u);
}

// The server hangs up at each command in turn (sign-in, LIST, CREATE, SELECT, APPEND, SEARCH),
// also with messages on their way:
// the run gets over it or ends with an error line, and a rerun leaves every message there once.
TEST_F(ImapDestinationTest, AHangUpAtAnyCommandLeavesEveryMessageOnceAfterARerun) {
  std::vector<Mail> mails;
  for (int i = 0; i < 6; ++i)
    mails.push_back({i < 2   ? "A\\B"
                     : i < 4 ? "A"
                             : "C",
                     "m" + std::to_string(i),
                     "Mon, 01 Mar 2004 19:42:1" + std::to_string(i) + " +0100",
                     i == 3 ? "" : "id" + std::to_string(i) + "@x"});
  const std::map<std::string, std::vector<std::string>> whole = {
      {"T/A/B", {"m0", "m1"}}, {"T/A", {"m2", "m3"}}, {"T/C", {"m4", "m5"}}};
  // With LITERAL+ messages are sent ahead of their answers; without, one by one.
  for (int run = 0; run < 80; ++run) {
    const int command = run % 40 + 1;
    SCOPED_TRACE(command);
    TempFolder journal;
    FakeImapOptions options;
    options.byeAtCommand = command;
    options.literalPlus = run < 40;
    FakeImapServer server(options);
    const AccountAccess access{"secret", "", "", journal.Path().string()};
    const Upload first = Run(server, mails, "imap://calypso@h/T", access);
    if (!first.error.empty()) {
      EXPECT_NE(first.error.find("Server shutting down."), std::string::npos) << first.error;
      const Upload second = Run(server, mails, "imap://calypso@h/T", access);
      EXPECT_EQ(second.error, "");
    }
    EXPECT_EQ(Subjects(server), whole);
    EXPECT_EQ(server.ClientFaults(), std::vector<std::string>());
  }
}

// Wherever the connection goes for good, the error line counts the messages dealt with before
// it went: none while the first folder is made, every one of a folder at its end, and never more
// stored than dealt with.
TEST_F(ImapDestinationTest, TheLostLineCountsTheMessagesDealtWith) {
  useJournal_ = false;
  const std::regex counts("after (\\d+) (message|messages); (\\d+) were stored in this run");
  std::set<unsigned long long> told;
  for (int command = 1; command <= 16; ++command) {
    SCOPED_TRACE(command);
    FakeImapOptions options;
    options.byeAtCommand = command;
    options.maxLogins = 1;
    FakeImapServer server(options);
    const Upload upload =
        Run(server, {{"Inbox", "a"}, {"Inbox", "b"}, {"Sent", "c"}}, "imap://calypso@h/C");
    std::smatch match;
    if (!std::regex_search(upload.error, match, counts)) continue;
    EXPECT_TRUE(upload.error.starts_with("the connection to calypso@h:143 was lost ("))
        << upload.error;
    const unsigned long long dealt = std::stoull(match[1]);
    EXPECT_LE(dealt, 3u) << upload.error;
    EXPECT_EQ(match[2], dealt == 1 ? "message" : "messages") << upload.error;
    EXPECT_LE(std::stoull(match[3]), dealt) << upload.error;
    told.insert(dealt);
  }
  EXPECT_EQ(told, (std::set<unsigned long long>{0, 1, 2, 3}));
}

// German tells the account, the reason and the counts in its own order, and the form follows
// the count.
TEST_F(ImapDestinationTest, ALostConnectionAndTheNoteAreToldInGerman) {
  const ScopedLanguage german(Language::kGerman);
  FakeImapOptions options;
  options.literalPlus = false;
  options.dropAfterAppend = 2;
  options.maxLogins = 1;
  FakeImapServer server(options);
  const Upload lost =
      Run(server, {{"Inbox", "a"}, {"Inbox", "b"}, {"Inbox", "c"}}, "imap://calypso@h/C");
  EXPECT_EQ(lost.error,
            "die Verbindung zu calypso@h:143 ging nach 1 Nachricht verloren (der Server hat die "
            "Anmeldung abgelehnt: [UNAVAILABLE] Maximum number of connections from user+IP "
            "exceeded); in diesem Lauf gespeichert: 1. Führen Sie denselben Befehl erneut aus, um "
            "den Rest zu speichern: nichts wird doppelt gespeichert.");
  // Another account, which the journal knows nothing of yet.
  FakeImapServer fine;
  EXPECT_EQ(Run(fine, {{"Inbox", "a"}}, "imap://calypso@h/D").note,
            "1 Nachricht in imap://calypso@h/D gespeichert.");
  EXPECT_EQ(Run(fine, {{"Inbox", "a"}, {"Inbox", "b"}, {"Inbox", "c"}}, "imap://calypso@h/D").note,
            "2 Nachrichten in imap://calypso@h/D gespeichert, 1 war schon vorhanden.");
}

// A stop ends the pause before the next try at once; what was stored is kept and told.
TEST_F(ImapDestinationTest, AStopEndsTheWaitForTheServer) {
  FakeImapOptions options;
  options.dropAfterAppend = 2;
  FakeImapServer server(options);
  std::stop_source stop;
  ImapDestination destination("imap://calypso@h/C", {"secret", "", "", ""}, export_,
                              Network(server), {std::chrono::hours(1)});
  destination.WatchStop(stop.get_token());
  ASSERT_EQ(destination.Check(), "");
  ASSERT_EQ(destination.Prepare(), "");
  ASSERT_EQ(destination.BeginFolder({"Inbox", {"Inbox"}}), "");
  ASSERT_EQ(destination.Add(Converted({"Inbox", "a"})), "");
  stop.request_stop();
  // Sent ahead: the lost connection shows once its answer is awaited.
  EXPECT_EQ(destination.Add(Converted({"Inbox", "b"})), "");
  EXPECT_EQ(destination.EndFolder(), "conversion stopped.");
  EXPECT_NE(destination.Abandon().find("What was stored so far (1 message) stays in the account"),
            std::string::npos);
}

TEST_F(ImapDestinationTest, TwoRunsIntoOneAccountDoNotMix) {
  FakeImapServer server;
  AccountAccess access{"secret", "", "", journal_.Path().string()};
  ImapDestination first("imap://calypso@h/C", access, export_, Network(server), {});
  ASSERT_EQ(first.Check(), "");
  ImapDestination second("imap://calypso@h/C", access, export_, Network(server), {});
  EXPECT_NE(second.Check().find("another conversion"), std::string::npos);
  first.Abandon();
  ImapDestination third("imap://calypso@h/C", access, export_, Network(server), {});
  EXPECT_EQ(third.Check(), "");
}

TEST(ImapAccountTest, AddressesReadBackAsWritten) {
  const struct {
    std::string_view address;
    bool valid;
    ImapAccount account;
  } cases[] = {
      {"imaps://me@mail.example.org", true, {ImapSecurity::kTls, "mail.example.org", 993, "me"}},
      {"imap://me%40example.org@mail.example.org:1143/Archiv/Calypso%202003",
       true,
       {ImapSecurity::kStartTls,
        "mail.example.org",
        1143,
        "me@example.org",
        {"Archiv", "Calypso 2003"}}},
      {"imaps://a@b@[::1]:10993/", true, {ImapSecurity::kTls, "::1", 10993, "a@b"}},
      {"imaps://me:pw@host", false, {}},
      {"imaps://host", false, {}},
      {"imaps://me@host:0", false, {}},
      {"imaps://me@host:70000", false, {}},
      {"imaps://me@host:", false, {}},
      {"imaps://me@", false, {}},
      {"imaps://me@host/%zz", false, {}},
      {"pop3://me@host", false, {}},
  };
  for (const auto& c : cases) {
    std::string problem;
    const std::optional<ImapAccount> account = ParseImapAddress(c.address, problem);
    ASSERT_EQ(account.has_value(), c.valid) << c.address << ": " << problem;
    if (!account) {
      EXPECT_FALSE(problem.empty());
      continue;
    }
    EXPECT_EQ(*account, c.account) << c.address;
    std::string again;
    EXPECT_EQ(ParseImapAddress(ImapAddress(*account), again), account) << ImapAddress(*account);
  }
}

TEST(UploadJournalTest, ARunCutShortIsReadBackAndAnotherUidValidityStartsAfresh) {
  TempFolder folder;
  {
    UploadJournal journal;
    ASSERT_EQ(journal.Open(folder.Path().string(), "imaps://a@h/C", "/e 10", "imaps://a@h/C"), "");
    journal.BeginFolder("C/Inbox", 7);
    journal.Stored(0, 100, 41);
    journal.Sending(1, 200);
    journal.Close();
  }
  // A kill mid-line leaves a line without its end; it counts for nothing.
  {
    std::ofstream cut(UploadJournal::FileName(folder.Path().string(), "imaps://a@h/C", "/e 10"),
                      std::ios::app | std::ios::binary);
    cut << "D 1 200";
  }
  UploadJournal journal;
  ASSERT_EQ(journal.Open(folder.Path().string(), "imaps://a@h/C", "/e 10", "imaps://a@h/C"), "");
  journal.BeginFolder("C/Inbox", 7);
  ASSERT_NE(journal.Find(0), nullptr);
  EXPECT_TRUE(journal.Find(0)->stored);
  EXPECT_EQ(journal.Find(0)->uid, 41u);
  ASSERT_NE(journal.Find(1), nullptr);
  EXPECT_FALSE(journal.Find(1)->stored);
  EXPECT_EQ(journal.StoredCount(), 1u);
  EXPECT_EQ(journal.KnownUids(), std::set<std::uint32_t>{41});
  journal.BeginFolder("C/Inbox", 8);
  EXPECT_EQ(journal.Find(0), nullptr);
  // Another export into the same account has a journal of its own.
  journal.Close();
  UploadJournal other;
  ASSERT_EQ(other.Open(folder.Path().string(), "imaps://a@h/C", "/f 10", "imaps://a@h/C"), "");
  other.BeginFolder("C/Inbox", 7);
  EXPECT_EQ(other.Find(0), nullptr);
}

}  // namespace
}  // namespace vandrel
