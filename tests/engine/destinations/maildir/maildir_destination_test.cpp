#include "engine/destinations/maildir/maildir_destination.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "destinations/maildir/maildir_fixture.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using test::DotFolders;
using test::Folder;
using test::MaildirMessage;
using test::Snapshot;
using test::WriteFolders;

constexpr const char* kDate = "Mon, 01 Mar 2004 19:42:10 +0100";
constexpr std::int64_t kDateTime = 1078166530;

class MaildirDestinationTest : public ::testing::Test {
 protected:
  fs::path Dir() const { return temp_.Path() / "Mail"; }
  void MakeMaildir() const {
    for (const char* part : {"cur", "new", "tmp"})
      fs::create_directories(Dir() / part);
  }
  // The files in the folder's cur/, with their bytes, and nothing in new/ or tmp/.
  std::vector<std::string> Messages(const std::string& folder) const {
    std::vector<std::string> messages;
    const fs::path at = Dir() / folder;
    EXPECT_TRUE(fs::is_regular_file(at / "maildirfolder")) << folder;
    EXPECT_TRUE(fs::is_empty(at / "new")) << folder;
    EXPECT_TRUE(fs::is_empty(at / "tmp")) << folder;
    for (const auto& entry : fs::directory_iterator(at / "cur"))
      messages.push_back(ReadBytes(entry.path()));
    std::sort(messages.begin(), messages.end());
    return messages;
  }

  TempFolder temp_;
};

TEST_F(MaildirDestinationTest, ANewMaildirGetsTheTreeWithEveryParent) {
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(
      WriteFolders(maildir, {{"Family\\Holidays", {MaildirMessage("h1", kDate)}},
                             {"Inbox", {MaildirMessage("i1", kDate), MaildirMessage("i2", kDate)}},
                             {"Family", {MaildirMessage("f1", kDate)}},
                             {"Work\\2004\\Q1", {}}}),
      "");
  // Nothing shows before the end: only the new Maildir's own parts and the lock.
  EXPECT_TRUE(DotFolders(Dir()).empty());
  EXPECT_EQ(maildir.Finish(), "");
  EXPECT_EQ(maildir.Description(), Dir().string());
  EXPECT_EQ(DotFolders(Dir()),
            (std::vector<std::string>{".Calypso", ".Calypso.Family", ".Calypso.Family.Holidays",
                                      ".Calypso.Inbox", ".Calypso.Work", ".Calypso.Work.2004",
                                      ".Calypso.Work.2004.Q1"}));
  for (const char* part : {"cur", "new", "tmp"})
    EXPECT_TRUE(fs::is_directory(Dir() / part) && fs::is_empty(Dir() / part)) << part;
  EXPECT_FALSE(fs::exists(Dir() / ".vandrel.lock"));
  EXPECT_TRUE(Messages(".Calypso").empty());
  EXPECT_TRUE(Messages(".Calypso.Work.2004").empty());
  EXPECT_EQ(Messages(".Calypso.Family"),
            (std::vector<std::string>{"Date: Mon, 01 Mar 2004 19:42:10 +0100\nSubject: f1\n"
                                      "Message-ID: <f1@example.org>\n\nbody of f1\n"}));
  EXPECT_EQ(Messages(".Calypso.Inbox").size(), 2u);
  EXPECT_EQ(Messages(".Calypso.Family.Holidays").size(), 1u);
  for (const auto& entry : fs::directory_iterator(Dir() / ".Calypso.Inbox" / "cur")) {
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(
                  std::chrono::file_clock::to_sys(entry.last_write_time()).time_since_epoch())
                  .count(),
              kDateTime);
  }
  EXPECT_EQ(maildir.Abandon(), "");  // once in place, the folders stay
  EXPECT_EQ(DotFolders(Dir()).size(), 7u);
}

TEST_F(MaildirDestinationTest, NamesAreEncodedAndKeptApart) {
  const std::string long300 = std::string(297, 'L') + "\xC3\xA4";  // 299 bytes, cut before ä
  const struct {
    std::string folder;
    std::string directory;
  } cases[] = {
      {"Dr. Smith", ".Calypso.Dr_ Smith"},
      {"Dr_ Smith", ".Calypso.Dr_ Smith-2"},
      {"a/b", ".Calypso.a_b"},
      {"Tom & Jerry", ".Calypso.Tom &- Jerry"},
      {"~home", ".Calypso.~home"},
      {"\xC3\x84rger", ".Calypso.&AMQ-rger"},
      {"\xC3\xA4rger", ".Calypso.&AOQ-rger"},
      {"inbox", ".Calypso.inbox"},
      {"INBOX", ".Calypso.INBOX-2"},  // one name for a file system that ignores case
      {"ctl\x01", ".Calypso.ctl_"},
      {"..", ".Calypso.__"},
      {"", ".Calypso.Unnamed_folder"},
      {"Family", ".Calypso.Family"},
      {"Family", ".Calypso.Family-2"},  // a second folder of the same name
      {long300, ".Calypso." + std::string(100, 'L')},
      {long300, ".Calypso." + std::string(98, 'L') + "-2"},
      {long300 + "\\" + long300 + "\\x",
       ".Calypso." + std::string(100, 'L') + "." + std::string(100, 'L') + ".x"},
  };
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(maildir.Check(), "");
  ASSERT_EQ(maildir.Prepare(), "");
  std::vector<std::string> expected = {".Calypso"};
  for (const auto& c : cases) {
    EXPECT_EQ(maildir.BeginFolder(Folder(c.folder)), "") << c.folder;
    EXPECT_EQ(maildir.Add(MaildirMessage("m", kDate)), "");
    EXPECT_EQ(maildir.EndFolder(), "");
    expected.push_back(c.directory);
  }
  // The parents of the last one.
  expected.push_back(".Calypso." + std::string(100, 'L'));
  expected.push_back(".Calypso." + std::string(100, 'L') + "." + std::string(100, 'L'));
  ASSERT_EQ(maildir.Finish(), "");
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  EXPECT_EQ(DotFolders(Dir()), expected);
  for (const std::string& name : DotFolders(Dir()))
    EXPECT_LE(name.size(), 255u) << name;
}

TEST_F(MaildirDestinationTest, PlaceOfSaysWhereTheFolderWillBe) {
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(maildir.Inspect(), "");
  EXPECT_EQ(maildir.PlaceOf(Folder("A\\B")), (Dir() / ".Calypso.A.B").string());
  EXPECT_EQ(maildir.PlaceOf(Folder("A\\B")), (Dir() / ".Calypso.A.B-2").string());
  EXPECT_FALSE(fs::exists(Dir()));  // a look makes nothing
}

TEST_F(MaildirDestinationTest, AFolderTooDeepForOneNameEndsTheRunAndLeavesNothing) {
  const std::string name99(99, 'd');
  std::string deep;
  for (int i = 0; i < 3; ++i)
    deep += name99 + "\\";
  MaildirDestination maildir(Dir().string());
  EXPECT_EQ(WriteFolders(maildir, {{"ok", {MaildirMessage("m", kDate)}}, {deep + "x", {}}}),
            "the folder " + deep +
                "x lies too deep for a Maildir: its name there would be "
                "longer than 255 bytes.");
  EXPECT_EQ(maildir.Abandon(), " Nothing was added to the Maildir.");
  std::string left;
  std::error_code error;
  for (fs::recursive_directory_iterator it(Dir(), error), end; !error && it != end;
       it.increment(error))
    left += it->path().string() + "\n";
  EXPECT_FALSE(fs::exists(Dir())) << left;
}

TEST_F(MaildirDestinationTest, AnExistingMaildirKeepsItsOwnFoldersAndMessages) {
  MakeMaildir();
  temp_.WriteFile("Mail/cur/1.host:2,S", "own message\n");
  temp_.WriteFile("Mail/dovecot-uidlist", "3 V1 N2\n");
  for (const char* own : {".calypso", ".Calypso-2.Sub", ".Work"}) {
    fs::create_directories(Dir() / own / "cur");
    temp_.WriteFile(std::string("Mail/") + own + "/cur/1.host:2,", own);
  }
  const auto before = Snapshot(Dir());
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(WriteFolders(maildir, {{"Work", {MaildirMessage("w", kDate)}}}), "");
  EXPECT_EQ(DotFolders(Dir()), (std::vector<std::string>{".Calypso-2.Sub", ".Work", ".calypso"}));
  ASSERT_EQ(maildir.Finish(), "");
  auto after = Snapshot(Dir());
  std::erase_if(after, [](const auto& file) { return file.first.starts_with(".Calypso-3"); });
  EXPECT_EQ(after, before);
  EXPECT_EQ(Messages(".Calypso-3.Work").size(), 1u);
}

TEST_F(MaildirDestinationTest, AbandonRemovesExactlyWhatTheRunMade) {
  const struct {
    const char* name;
    bool maildirThere;
    bool dirThere;
  } cases[] = {
      {"a Maildir", true, true}, {"an empty folder", false, true}, {"nothing", false, false}};
  for (const auto& c : cases) {
    if (c.dirThere) fs::create_directories(Dir());
    if (c.maildirThere) MakeMaildir();
    const auto before = Snapshot(Dir());
    {
      MaildirDestination maildir(Dir().string());
      ASSERT_EQ(WriteFolders(maildir, {{"A\\B", {MaildirMessage("m", kDate)}}}), "") << c.name;
      EXPECT_EQ(maildir.Abandon(), " Nothing was added to the Maildir.") << c.name;
      EXPECT_EQ(maildir.Abandon(), "") << c.name;
    }
    EXPECT_EQ(fs::exists(Dir()), c.dirThere) << c.name;
    EXPECT_EQ(Snapshot(Dir()), before) << c.name;
    // The destructor abandons too.
    {
      MaildirDestination maildir(Dir().string());
      ASSERT_EQ(WriteFolders(maildir, {{"A", {MaildirMessage("m", kDate)}}}), "") << c.name;
    }
    EXPECT_EQ(Snapshot(Dir()), before) << c.name;
    fs::remove_all(Dir());
  }
}

TEST_F(MaildirDestinationTest, PlacesThatAreNoMaildirAreRefusedAndALookMakesNothing) {
  temp_.WriteFile("file", "x");
  fs::create_directories(temp_.Path() / "home");
  temp_.WriteFile("home/notes.txt", "x");
  fs::create_directories(temp_.Path() / "half" / "cur");
  const struct {
    fs::path dir;
    std::string error;
  } cases[] = {
      {temp_.Path() / "missing" / "Mail", "contains an invalid path."},
      {temp_.Path() / "file", " is not a folder; name a Maildir or a new folder."},
      {temp_.Path() / "home",
       " is neither a Maildir nor an empty folder; name a Maildir (with "
       "cur, new and tmp) or a new folder."},
      {temp_.Path() / "half",
       " is neither a Maildir nor an empty folder; name a Maildir (with "
       "cur, new and tmp) or a new folder."},
  };
  const auto before = Snapshot(temp_.Path());
  for (const auto& c : cases) {
    MaildirDestination looked(c.dir.string());
    EXPECT_TRUE(looked.Inspect().ends_with(c.error)) << c.dir << ": " << looked.Inspect();
    MaildirDestination checked(c.dir.string());
    EXPECT_TRUE(checked.Check().ends_with(c.error)) << c.dir;
    EXPECT_EQ(checked.Abandon(), "");
  }
  EXPECT_EQ(Snapshot(temp_.Path()), before);
}

// German puts the path where its sentence wants it, and the line that ends a run too.
TEST_F(MaildirDestinationTest, RefusalsAreToldInGerman) {
  const ScopedLanguage german(Language::kGerman);
  fs::create_directories(temp_.Path() / "home");
  temp_.WriteFile("home/notes.txt", "x");
  const std::string home = (temp_.Path() / "home").string();
  EXPECT_EQ(MaildirDestination(home).Inspect(),
            home +
                " ist weder ein Maildir noch ein leerer Ordner; geben Sie ein Maildir (mit cur, "
                "new und tmp) oder einen neuen Ordner an.");
  const std::string deep =
      std::string(99, 'd') + "\\" + std::string(99, 'e') + "\\" + std::string(99, 'f') + "\\x";
  MaildirDestination maildir(Dir().string());
  EXPECT_EQ(WriteFolders(maildir, {{deep, {}}}),
            "der Ordner " + deep +
                " liegt für ein Maildir zu tief: sein Name wäre dort länger als 255 Bytes.");
  EXPECT_EQ(maildir.Abandon(), " Dem Maildir wurde nichts hinzugefügt.");
}

TEST_F(MaildirDestinationTest, ASecondRunIntoTheSameMaildirIsRefused) {
  MaildirDestination first(Dir().string());
  ASSERT_EQ(first.Check(), "");
  MaildirDestination second(Dir().string());
  EXPECT_EQ(second.Check(), "another conversion is writing " + Dir().string() + ".");
  EXPECT_EQ(second.Abandon(), "");
  EXPECT_TRUE(fs::exists(Dir() / ".vandrel.lock"));  // still the first run's
  ASSERT_EQ(first.Prepare(), "");
  ASSERT_EQ(first.Finish(), "");
  MaildirDestination third(Dir().string());
  EXPECT_EQ(third.Check(), "");  // the lock went with the first run
}

TEST_F(MaildirDestinationTest, ARunKilledEarlierLeavesNoStagingBehind) {
  MakeMaildir();
  fs::create_directories(Dir() / "tmp" / "vandrel-staging-old" / ".Calypso" / "cur");
  temp_.WriteFile("Mail/tmp/1.delivering", "another program's");
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(WriteFolders(maildir, {}), "");
  ASSERT_EQ(maildir.Finish(), "");
  EXPECT_FALSE(fs::exists(Dir() / "tmp" / "vandrel-staging-old"));
  EXPECT_EQ(ReadBytes(Dir() / "tmp" / "1.delivering"), "another program's");
  EXPECT_EQ(DotFolders(Dir()), std::vector<std::string>{".Calypso"});
}

TEST_F(MaildirDestinationTest, AFolderMadeMeanwhileUndoesTheWholeMove) {
  MakeMaildir();
  MaildirDestination maildir(Dir().string());
  ASSERT_EQ(WriteFolders(maildir, {{"A", {MaildirMessage("m", kDate)}}, {"B", {}}}), "");
  fs::create_directories(Dir() / ".Calypso.B");  // an IMAP client made it during the run
  EXPECT_EQ(maildir.Finish(),
            "cannot move the folder " + (Dir() / ".Calypso.B").string() + " into place.");
  EXPECT_EQ(maildir.Abandon(), " Nothing was added to the Maildir.");
  EXPECT_EQ(DotFolders(Dir()), std::vector<std::string>{".Calypso.B"});
  EXPECT_TRUE(fs::is_empty(Dir() / "tmp"));
}

}  // namespace
}  // namespace vandrel
