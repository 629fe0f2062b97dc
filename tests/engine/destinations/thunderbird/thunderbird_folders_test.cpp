#include "engine/destinations/thunderbird/thunderbird_folders.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/destinations/thunderbird/folder_cache.h"
#include "engine/destinations/thunderbird/thunderbird_names.h"
#include "engine/utf8_path.h"
#include "held_profile.h"
#include "profile_fixture.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFilled = "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\r\nx\r\n\r\n";

class ThunderbirdFoldersTest : public ::testing::Test {
 protected:
  ThunderbirdFoldersTest() { test::WritePrefs(profile_.Path()); }

  fs::path LocalFolders() const { return profile_.Path() / "Mail" / "Local Folders"; }
  // Writes a folder with one message, as a run does.
  static void Fill(ThunderbirdFolders& target, const std::string& name) {
    const OutputFolder folder{name, FolderPathOf(name)};
    EXPECT_EQ(target.BeginFolder(folder), "") << name;
    ConvertedMessage message;
    message.text = "x\r\n";
    EXPECT_EQ(target.Add(message), "") << name;
    EXPECT_EQ(target.EndFolder(), "") << name;
  }

  TempFolder profile_;
};

TEST_F(ThunderbirdFoldersTest, TheTopFolderIsBuiltAsideAndMovedIntoPlaceWhole) {
  fs::create_directories(LocalFolders() / "calypso.sbd");
  { std::ofstream(LocalFolders() / "Calypso-2"); }
  ThunderbirdFolders target(profile_.Path().string());
  ASSERT_EQ(target.Check(), "");
  ASSERT_EQ(target.Prepare(), "");
  const fs::path top = LocalFolders() / "Calypso-3";
  EXPECT_EQ(target.Description(), top.string());
  const std::string longName = "Entw\xC3\xBCrfe " + std::string(60, 'x');
  Fill(target, "Sent Items");
  Fill(target, longName);
  // Nothing shows until the end: only hidden names in Local Folders.
  for (const auto& entry : fs::directory_iterator(LocalFolders())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.starts_with(".") || name == "calypso.sbd" || name == "Calypso-2") << name;
  }
  EXPECT_EQ(target.Finish(), "");
  EXPECT_EQ(target.Note(), "");
  EXPECT_TRUE(fs::is_regular_file(top));
  const fs::path sub = top.string() + ".sbd";
  EXPECT_EQ(ReadBytes(sub / "Sent Items"), kFilled);
  EXPECT_EQ(ReadBytes(sub / Utf8Path(ThunderbirdFileName(longName))), kFilled);
  std::string key;  // the summary file's path as a JSON string
  for (char c : (sub / Utf8Path(ThunderbirdFileName(longName))).string())
    key += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_EQ(ReadBytes(profile_.Path() / "folderCache.json"),
            "{\"" + key + ".msf\":{\"folderName\":\"" + longName + "\"}}");
  EXPECT_TRUE(fs::is_empty(LocalFolders() / "calypso.sbd"));
  EXPECT_EQ(target.Abandon(), "");  // nothing left to take away once in place
  EXPECT_TRUE(fs::is_regular_file(top));
}

TEST_F(ThunderbirdFoldersTest, NamesThunderbirdTakesForItselfOrCannotStoreAreChanged) {
  // 240 characters, 252 bytes in Thunderbird's form: with ".msf", past what a file name takes.
  const std::string umlauts = "\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC";
  const std::string longWithSpace = std::string(234, 'L') + umlauts + " ";
  ASSERT_EQ(ThunderbirdFileName(longWithSpace).size(), 252u);
  const struct {
    std::string folder;
    std::string file;
  } cases[] = {
      {"Inbox", "Inbox"},
      {"inbox", "inbox-2"},
      {"Inbox.msf", "Inbox.msf-2"},
      {"Foo.SBD", "Foo.SBD-2"},
      {"", "Unnamed folder"},
      {"2003/2004", "2003_2004"},
      {std::string("nul\0name", 8), "nul_name"},
      // Kept almost whole by Thunderbird, it would leave no room for its summary file.
      {longWithSpace, ThunderbirdFileName(std::string(200, 'L'))},
      // Cut to the same name as the one before: the second gets "-2".
      {std::string(235, 'L') + umlauts + ".", ThunderbirdFileName(std::string(200, 'L') + "-2")},
  };
  ThunderbirdFolders target(profile_.Path().string());
  ASSERT_EQ(target.Check(), "");
  ASSERT_EQ(target.Prepare(), "");
  for (const auto& c : cases) {
    const std::string file = target.PlaceOf({c.folder, FolderPathOf(c.folder)});
    EXPECT_EQ(fs::path(file).filename().string(), c.file) << c.folder;
    EXPECT_LE(fs::path(file).filename().string().size() + 4, 255u);
  }
}

// In either store, deep folders and hashed names included.
TEST_F(ThunderbirdFoldersTest, AFailedOrStoppedRunLeavesTheProfileAsItWas) {
  for (const char* store : {"", "@mozilla.org/msgstore/maildirstore;1"}) {
    TempFolder profile;
    test::WritePrefs(profile.Path());
    std::ofstream(profile.Path() / "user.js")
        << "user_pref(\"mail.server.server1.storeContractID\", \"" << store << "\");\n";
    { std::ofstream(profile.Path() / "folderCache.json") << "{\"/a.msf\":{\"flags\":4}}"; }
    const auto before = test::Snapshot(profile.Path());
    {
      ThunderbirdFolders target(profile.Path().string());
      ASSERT_EQ(target.Check(), "");
      EXPECT_EQ(target.Abandon(), "");  // nothing made yet
      ASSERT_EQ(target.Prepare(), "");
      Fill(target, "Inbox");
      Fill(target, std::string(80, 'x') + "\\Deep\\Deeper");
      EXPECT_EQ(target.Abandon(), " Nothing was added to the Thunderbird profile.");
    }
    EXPECT_EQ(test::Snapshot(profile.Path()), before) << store;
  }
}

// Thunderbird started while the folders were written: it must not see them appear.
TEST_F(ThunderbirdFoldersTest, ThunderbirdStartedDuringTheRunIsFoundBeforeTheMove) {
  const auto before = test::Snapshot(profile_.Path());
  {
    ThunderbirdFolders target(profile_.Path().string());
    ASSERT_EQ(target.Check(), "");
    ASSERT_EQ(target.Prepare(), "");
    Fill(target, "Inbox");
    const auto held = test::HoldProfile(profile_.Path());
    EXPECT_EQ(target.Finish(), "Thunderbird is running with the profile " +
                                   profile_.Path().string() +
                                   "; close Thunderbird, then convert again.");
    EXPECT_EQ(target.Abandon(), " Nothing was added to the Thunderbird profile.");
  }
  EXPECT_EQ(test::Snapshot(profile_.Path()), before);
}

TEST_F(ThunderbirdFoldersTest, OneRunAtATimeAndWhatAKilledRunLeftIsRemoved) {
  fs::create_directories(LocalFolders() / ".vandrel-staging-left-by-a-killed-run" / "Calypso.sbd");
  ThunderbirdFolders first(profile_.Path().string());
  ASSERT_EQ(first.Check(), "");
  EXPECT_FALSE(fs::exists(LocalFolders() / ".vandrel-staging-left-by-a-killed-run"));
  ThunderbirdFolders second(profile_.Path().string());
  EXPECT_EQ(second.Check(), "another conversion is writing " + profile_.Path().string() + ".");
}

TEST_F(ThunderbirdFoldersTest, AProfileThunderbirdHasNotSetUpIsRefused) {
  for (const std::string prefs :
       {"", "// user_pref(\"mail.accountmanager.localfoldersserver\", \"server1\");\n",
        "/* user_pref(\"mail.accountmanager.localfoldersserver\", \"server1\"); */\n",
        "user_pref(\"mail.accountmanager.accounts\", \"account1\");\n"}) {
    { std::ofstream(profile_.Path() / "prefs.js") << prefs; }
    ThunderbirdFolders target(profile_.Path().string());
    EXPECT_EQ(target.Check(), "Thunderbird has not set up Local Folders in " +
                                  profile_.Path().string() +
                                  " yet; start Thunderbird once, then convert again.")
        << prefs;
  }
  ThunderbirdFolders missing((profile_.Path() / "nope").string());
  EXPECT_NE(missing.Check().find("no Thunderbird profile found"), std::string::npos);
}

// Each refusal names the profile where the German sentence puts it, and the line that ends a
// run says in German that the profile was left as it was.
TEST_F(ThunderbirdFoldersTest, RefusedProfilesAreToldInGerman) {
  const ScopedLanguage german(Language::kGerman);
  const std::string profile = profile_.Path().string();
  {
    ThunderbirdFolders target(profile);
    ASSERT_EQ(target.Check(), "");
    ASSERT_EQ(target.Prepare(), "");
    const auto held = test::HoldProfile(profile_.Path());
    EXPECT_EQ(target.Finish(), "Thunderbird läuft mit dem Profil " + profile +
                                   "; schließen Sie Thunderbird und konvertieren Sie dann erneut.");
    EXPECT_EQ(target.Abandon(), " Dem Thunderbird-Profil wurde nichts hinzugefügt.");
  }
  const std::string nowhere = (profile_.Path() / "nope").string();
  EXPECT_EQ(ThunderbirdFolders(nowhere).Check(),
            "kein Thunderbird-Profil in " + nowhere + " gefunden.");
  {
    std::ofstream(profile_.Path() / "prefs.js")
        << "user_pref(\"mail.accountmanager.localfoldersserver\", \"server1\");\n"
           "user_pref(\"mail.server.server1.storeContractID\", \"@example.org/store;1\");\n";
  }
  EXPECT_EQ(ThunderbirdFolders(profile).Check(),
            "die Lokalen Ordner von " + profile +
                " verwenden einen Nachrichtenspeicher, den Vandrel nicht kennt "
                "(@example.org/store;1).");
  { std::ofstream(profile_.Path() / "prefs.js") << ""; }
  EXPECT_EQ(ThunderbirdFolders(profile).Check(),
            "Thunderbird hat in " + profile +
                " noch keine Lokalen Ordner eingerichtet; starten Sie Thunderbird einmal und "
                "konvertieren Sie dann erneut.");
}

// Thunderbird matches its cache by absolute, lexically normal paths.
TEST_F(ThunderbirdFoldersTest, CacheKeysAreTheSameWhateverFormTheProfileIsNamedIn) {
  const std::string absolute = profile_.Path().string();
  // Named from the folder it lies in.
  const fs::path before = fs::current_path();
  fs::current_path(profile_.Path().parent_path());
  const std::string relative = profile_.Path().filename().string();
  const std::string longName(70, 'n');
  std::string keys[3];
  int i = 0;
  for (const std::string& form : {absolute, relative, absolute + "/./Mail/..//"}) {
    fs::remove(profile_.Path() / "folderCache.json");
    {
      ThunderbirdFolders target(form);
      ASSERT_EQ(target.Check(), "") << form;
      ASSERT_EQ(target.Prepare(), "") << form;
      Fill(target, longName);
      ASSERT_EQ(target.Finish(), "") << form;
    }
    keys[i++] = ReadBytes(profile_.Path() / "folderCache.json");
    fs::remove_all(LocalFolders());
    fs::create_directories(LocalFolders());
  }
  fs::current_path(before);
  // The keys are native paths: with backslashes on Windows.
  const std::string folder = (profile_.Path() / "Mail" / "Local Folders" / "Calypso.sbd").string();
  const auto cache = nlohmann::json::parse(keys[0]);
  ASSERT_EQ(cache.size(), 1u) << keys[0];
  EXPECT_EQ(cache.begin().key().rfind(folder, 0), 0u) << keys[0];
  EXPECT_EQ(keys[1], keys[0]);
  EXPECT_EQ(keys[2], keys[0]);
}

TEST(FolderCacheTest, EntriesJoinWhatTheCacheHeld) {
  TempFolder folder;
  const fs::path cache = folder.Path() / "folderCache.json";
  ASSERT_EQ(AddFolderNames(cache.string(), {{"/p/a.msf", "A \"quoted\" \\ name\n"}}),
            FolderCacheResult::kWritten);
  EXPECT_EQ(ReadBytes(cache), "{\"/p/a.msf\":{\"folderName\":\"A \\\"quoted\\\" \\\\ name\\n\"}}");
  folder.WriteFile("folderCache.json",
                   " {\n  \"/p/old.msf\": {\"flags\": 4, \"folderName\": \"Old\"}\n}\n");
  ASSERT_EQ(AddFolderNames(cache.string(), {{"/p/b.msf", "B"}, {"/p/old.msf", "Renamed"}}),
            FolderCacheResult::kWritten);
  EXPECT_EQ(ReadBytes(cache),
            "{\"/p/b.msf\":{\"folderName\":\"B\"},\"/p/old.msf\":{\"flags\":4,\"folderName\":"
            "\"Renamed\"}}");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(FolderCacheTest, ACacheThatIsNoJsonObjectOrCannotBeReplacedStaysAsItWas) {
  TempFolder folder;
  const fs::path cache = folder.Path() / "folderCache.json";
  for (const std::string text : {"[1, 2]", "{\"a\": ", "{} {}", "not json"}) {
    folder.WriteFile("folderCache.json", text);
    EXPECT_EQ(AddFolderNames(cache.string(), {{"/p/d.msf", "D"}}), FolderCacheResult::kNotJson)
        << text;
    EXPECT_EQ(ReadBytes(cache), text);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(FolderCacheTest, AHundredThousandEntriesAreKept) {
  TempFolder folder;
  std::string text = "{";
  for (int i = 0; i < 100000; ++i) {
    text += (i == 0 ? "\"" : ",\"") + std::string("/p/f") + std::to_string(i) +
            ".msf\":{\"flags\":" + std::to_string(i) + "}";
  }
  text += "}";
  const std::string cache = folder.WriteFile("folderCache.json", text);
  ASSERT_EQ(AddFolderNames(cache, {{"/p/new.msf", "New"}}), FolderCacheResult::kWritten);
  const std::string written = ReadBytes(cache);
  EXPECT_NE(written.find("\"/p/f99999.msf\":{\"flags\":99999}"), std::string::npos);
  EXPECT_NE(written.find("\"/p/f0.msf\":{\"flags\":0}"), std::string::npos);
  EXPECT_NE(written.find("\"/p/new.msf\":{\"folderName\":\"New\"}"), std::string::npos);
  EXPECT_EQ(std::count(written.begin(), written.end(), ':'), 2 * 100000 + 2);
}

}  // namespace
}  // namespace vandrel

namespace vandrel {
namespace {

constexpr std::string_view kMaildirStore = "@mozilla.org/msgstore/maildirstore;1";

// The messages a folder holds, in either store: an mbox file's separator lines, or the files
// of a maildir folder's cur/.
std::size_t MessagesIn(const fs::path& folder) {
  if (fs::is_directory(folder)) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder / "cur"), fs::directory_iterator()));
  }
  const std::string text = ReadBytes(folder);
  std::size_t count = 0;
  for (std::size_t at = text.find("From "); at != std::string::npos;
       at = text.find("\nFrom ", at + 1))
    ++count;
  return count;
}

// The Calypso tree in both of Thunderbird's stores: folders in folders, parents without mail of
// their own made empty, folders that meet in the tree kept apart.
TEST_F(ThunderbirdFoldersTest, TheTreeArrivesInEitherStore) {
  for (const std::string_view store : {std::string_view(), kMaildirStore}) {
    TempFolder profile;
    test::WritePrefs(profile.Path());
    if (!store.empty()) {
      std::ofstream(profile.Path() / "user.js")
          << "user_pref(\"mail.server.server1.storeContractID\", \"" << store << "\");\n";
    }
    const fs::path top = profile.Path() / "Mail" / "Local Folders" / "Calypso";
    {
      ThunderbirdFolders target(profile.Path().string());
      ASSERT_EQ(target.Check(), "");
      ASSERT_EQ(target.Prepare(), "");
      for (const char* name :
           {"Family\\Holidays", "Family", "A\\\\B", "\\Inbox", "Inbox\\", "Archiv\\2003\\Q4"}) {
        Fill(target, name);
      }
      ASSERT_EQ(target.Finish(), "");
    }
    const fs::path sub = top.string() + ".sbd";
    const struct {
      fs::path folder;
      std::size_t messages;
    } expected[] = {
        {top, 0},
        {sub / "Family", 1},
        {sub / "Family.sbd" / "Holidays", 1},
        {sub / "A", 0},
        {sub / "A.sbd" / "B", 1},
        {sub / "Inbox", 1},
        {sub / "Inbox-2", 1},
        {sub / "Archiv", 0},
        {sub / "Archiv.sbd" / "2003", 0},
        {sub / "Archiv.sbd" / "2003.sbd" / "Q4", 1},
    };
    for (const auto& e : expected) {
      ASSERT_EQ(fs::is_directory(e.folder), !store.empty()) << store << " " << e.folder;
      EXPECT_EQ(MessagesIn(e.folder), e.messages) << store << " " << e.folder;
    }
  }
}

TEST_F(ThunderbirdFoldersTest, AStoreVandrelDoesNotKnowIsRefusedBeforeAnythingIsMade) {
  std::ofstream(profile_.Path() / "prefs.js", std::ios::app)
      << "user_pref(\"mail.server.server1.storeContractID\", \"@example.org/msgstore/odd;1\");\n";
  const auto before = test::Snapshot(profile_.Path());
  ThunderbirdFolders target(profile_.Path().string());
  const std::string refused =
      "the Local Folders of " + profile_.Path().string() +
      " use a mail store Vandrel does not know (@example.org/msgstore/odd;1).";
  EXPECT_EQ(target.Inspect(), refused);
  EXPECT_EQ(target.Check(), refused);
  EXPECT_EQ(test::Snapshot(profile_.Path()), before);
}

}  // namespace
}  // namespace vandrel

namespace vandrel {
namespace {

// A folder name is the export's text: "." and ".." segments name folders, never places above.
TEST_F(ThunderbirdFoldersTest, DotSegmentsStayInsideTheTopFolder) {
  ThunderbirdFolders target(profile_.Path().string());
  ASSERT_EQ(target.Inspect(), "");
  const fs::path top = (LocalFolders() / "Calypso.sbd").lexically_normal();
  for (const std::string name : {"..\\..\\..\\evil", ".\\a/b\\..", "..", "...\\.\\x"}) {
    const fs::path place = Utf8Path(target.PlaceOf({name, FolderPathOf(name)})).lexically_normal();
    const fs::path inside = place.lexically_relative(top);
    EXPECT_FALSE(inside.empty() || *inside.begin() == "..") << name << " -> " << place;
  }
}

}  // namespace
}  // namespace vandrel
