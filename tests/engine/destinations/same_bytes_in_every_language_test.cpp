// What a run writes is data, never a shown text: the same export converted in English and in
// German gives the same mbox files, Maildir, Thunderbird folders and the same bytes sent to a
// mail account, names and the default top folder included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "destinations/imap/fake_imap_server.h"
#include "destinations/thunderbird/profile_fixture.h"
#include "engine/destinations/imap/imap_destination.h"
#include "engine/destinations/maildir/maildir_destination.h"
#include "engine/destinations/mbox/mbox_files.h"
#include "engine/destinations/thunderbird/thunderbird_folders.h"
#include "engine/pipeline.h"
#include "log/activity_log.h"
#include "recording_sinks.h"
#include "snapshot.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// Folders without a name, nested, long, not ASCII; a file attached, one missing, a message
// without a date: whatever a run could put a word of its own into.
std::string Export() {
  const auto message = [](const std::string& folder, const std::string& subject,
                          const std::string& more) {
    return "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject +
           "\r\nX-CalypsoFolder: " + folder + "\r\n" + more + "\r\nText of " + subject + "\r\n";
  };
  const std::string dated = "Date: Mon, 01 Mar 2004 19:42:10 +0100\r\n";
  return message("Inbox", "plain", dated + "Message-ID: <a@x>\r\n") +
         message("", "unnamed", dated) + message("Family\\Holidays", "undated", "") +
         message("Entw\xC3\xBCrfe " + std::string(240, 'x'), "long", dated) +
         message("Inbox", "attached",
                 dated + "X-Attachment: \"C:\\Calypso\\Attach\\a.txt\";\r\n" +
                     "X-Attachment: \"C:\\Calypso\\Attach\\gone.doc\";\r\n");
}

// Generated boundaries hold the time and a random number.
std::string WithoutBoundaryDigits(const std::string& text) {
  static const std::regex boundary("__=_Part_Boundary_\\d{3}_\\d{6}\\.\\d{6}");
  return std::regex_replace(text, boundary, "BOUNDARY");
}

// The text with every `part` in it replaced.
std::string Replaced(std::string text, const std::string& part, const std::string& by) {
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + by.size()))
    text.replace(at, part.size(), by);
  return text;
}

// Every file and folder below `folder` but the run's lock, boundaries masked and the folder's
// own path (which Thunderbird's folder cache holds) named alike. A Maildir's message files have
// unique names made of the time: they count by their folder and content.
std::map<std::string, std::string> Written(const fs::path& folder) {
  std::map<std::string, std::string> written;
  std::map<std::string, std::vector<std::string>> delivered;
  for (auto [name, what] : test::Snapshot(folder)) {
    const fs::path path(name);
    if (path.filename().string().starts_with(".vandrel")) continue;
    // JSON doubles the backslashes of Windows' paths.
    what = Replaced(WithoutBoundaryDigits(what), PathText(folder), "FOLDER");
    what = Replaced(what, Replaced(PathText(folder), "\\", "\\\\"), "FOLDER");
    const std::string part = path.parent_path().filename().string();
    if (part == "cur" || part == "new") {
      delivered[path.parent_path().string()].push_back(what);
    } else {
      written[name] = what;
    }
  }
  for (auto& [part, messages] : delivered) {
    std::sort(messages.begin(), messages.end());
    for (std::size_t i = 0; i < messages.size(); ++i)
      written[part + " #" + std::to_string(i)] = messages[i];
  }
  return written;
}

class SameBytesTest : public ::testing::Test {
 protected:
  SameBytesTest() {
    fs::create_directories(files_.Path() / "Attach");
    files_.WriteFile("Attach/a.txt", "attached\r\n");
    input_ = files_.WriteFile("export.txt", Export());
  }

  // The whole run into `destination`; its error line, or empty.
  std::string Run(Destination& destination) {
    RecordingLogView view;
    ActivityLog log;
    log.AttachEdit(&view);
    ConversionRequest request{input_, {}, {}};
    request.threads = 1;
    return RunPipeline(request, destination, PipelineUse::kConvert, RunReport{log}).error;
  }

  // What each destination wrote, in the language chosen.
  std::map<std::string, std::map<std::string, std::string>> WrittenIn(Language language) {
    const ScopedLanguage chosen(language);
    std::map<std::string, std::map<std::string, std::string>> written;
    {
      TempFolder out;
      MboxFiles mbox(PathText(out.Path() / "mail.mbx"));
      EXPECT_EQ(Run(mbox), "");
      written["mbox"] = Written(out.Path());
    }
    {
      TempFolder out;
      MaildirDestination maildir(PathText(out.Path() / "Maildir"));
      EXPECT_EQ(Run(maildir), "");
      written["maildir"] = Written(out.Path());
    }
    {
      TempFolder profile;
      test::WritePrefs(profile.Path());
      ThunderbirdFolders thunderbird(PathText(profile.Path()));
      EXPECT_EQ(Run(thunderbird), "");
      written["thunderbird"] = Written(profile.Path());
    }
    written["imap"] = Uploaded();
    return written;
  }

  // The account afterwards, every byte sent to it, and the journal kept beside.
  std::map<std::string, std::string> Uploaded() {
    FakeImapServer server;
    ImapNetwork network;
    network.connect = [&server](const std::string&, std::uint16_t, std::string&) {
      return server.Connect();
    };
    network.startTls = [](std::unique_ptr<Connection> plain, const std::string&,
                          std::string& error) { return FakeStartTls(std::move(plain), error); };
    TempFolder journal;
    ImapDestination imap("imap://calypso@mail.example.org",
                         {"secret", "", "", PathText(journal.Path())}, input_, std::move(network),
                         {});
    EXPECT_EQ(Run(imap), "");
    std::map<std::string, std::string> uploaded = Written(journal.Path());
    for (const std::string& name : server.MailboxNames()) {
      const std::optional<FakeImapMailbox> mailbox = server.Mailbox(name);
      for (const FakeImapMessage& message : mailbox->messages) {
        uploaded[name + " " + std::to_string(message.uid)] =
            message.internalDate + "\n" + WithoutBoundaryDigits(message.text);
      }
    }
    std::string sent;
    for (const FakeImapReceived& received : server.Received())
      sent += WithoutBoundaryDigits(received.bytes);
    uploaded["sent"] = sent;
    return uploaded;
  }

  TempFolder files_;
  std::string input_;
};

TEST_F(SameBytesTest, EveryDestinationWritesTheSameBytesInEnglishAndGerman) {
  const auto english = WrittenIn(Language::kEnglish);
  const auto german = WrittenIn(Language::kGerman);
  ASSERT_EQ(english.size(), 4u);
  for (const auto& [destination, files] : english) {
    SCOPED_TRACE(destination);
    // The run went through: its folders are there, below "Calypso" where there is a top.
    EXPECT_GE(files.size(), 4u);
    if (destination != "mbox") {
      EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const auto& file) {
        return file.first.find("Calypso") != std::string::npos;
      }));
    }
    ASSERT_EQ(german.count(destination), 1u);
    const auto& other = german.at(destination);
    for (const auto& [name, bytes] : files) {
      ASSERT_EQ(other.count(name), 1u) << name;
      EXPECT_TRUE(other.at(name) == bytes) << name;
    }
    EXPECT_EQ(other.size(), files.size());
  }
}

}  // namespace
}  // namespace vandrel
