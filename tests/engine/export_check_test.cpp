#include "engine/export_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "conversion_fixture.h"
#include "destinations/thunderbird/held_profile.h"
#include "destinations/thunderbird/profile_fixture.h"
#include "engine/converting/message_converter.h"
#include "engine/utf8_path.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// Messages that name files there, missing, and unreadable, in three folders.
std::string ExportWithFiles(const TempFolder& folder) {
  fs::create_directories(folder.Path() / "Attach" / "folder.jpg");  // not a file
  folder.WriteFile("Attach/a.txt", "attached\r\n");
  folder.WriteFile("Attach/b.pdf", std::string(5000, 'p'));
  std::string exported;
  for (int i = 0; i < 7; ++i) {
    std::string files;
    if (i % 2 == 0) files += "X-Attachment: \"C:\\Calypso\\Attach\\a.txt\";\r\n";
    if (i % 3 == 0) files += "X-Attachment: \"C:\\Calypso\\Attach\\b.pdf\";\r\n";
    if (i == 4) files += "X-Attachment: \"C:\\Calypso\\Attach\\gone.gif\";\r\n";
    if (i == 5) files += "X-Attachment: \"C:\\Calypso\\Attach\\folder.jpg\";\r\n";
    exported += Message(i % 3 == 0   ? "Inbox"
                        : i % 3 == 1 ? "Sent"
                                     : "Entw\xFCrfe",
                        "m" + std::to_string(i), files);
    // Named in the text only: reported by both, looked for by neither.
    if (i == 6) exported += "quoted: X-Attachment: \"C:\\Calypso\\Attach\\a.txt\"; 3\r\n";
  }
  return exported;
}

std::vector<std::string> Paths(const RunFindings& findings) {
  std::vector<std::string> paths;
  for (const MissingFile& file : findings.missingFiles) {
    paths.push_back(file.path + " | " + file.folder + " | " + file.subject);
  }
  return paths;
}

// What a look at the export says is what converting it then does.
TEST_F(ConversionTest, ACheckTellsWhatTheConversionThenDoesAndWritesNothing) {
  const std::string input = folder_.WriteFile("export.txt", ExportWithFiles(folder_));
  fs::create_directories(folder_.Path() / "out");
  const ConversionRequest request{
      input, ConversionOutput{DestinationKind::kMboxFiles, Out("out/m.mbx")}, {}};
  const ExportCheck check = CheckExport(request, true);
  EXPECT_EQ(check.error, "");
  EXPECT_TRUE(fs::is_empty(folder_.Path() / "out"));

  ASSERT_TRUE(Run(input, Out("out/m.mbx"))) << view_.text;
  std::map<std::string, std::size_t> written;
  for (const auto& entry : fs::directory_iterator(folder_.Path() / "out")) {
    written[entry.path().lexically_normal().string()] =
        static_cast<std::size_t>(CountSeparators(ReadBytes(entry)));
  }
  std::map<std::string, std::size_t> told;
  std::vector<std::string> order;
  for (const FolderPlan& folder : check.folders) {
    // As the user wrote the output, "/" included; the same file all the same.
    told[Utf8Path(folder.place).lexically_normal().string()] = folder.messages;
    order.push_back(folder.name);
  }
  EXPECT_EQ(told, written);
  EXPECT_EQ(order, (std::vector<std::string>{"Inbox", "Entw\xC3\xBCrfe", "Sent"}));
  EXPECT_EQ(check.messages, 7u);
  EXPECT_EQ(Paths(check.findings), Paths(result_.findings));
  EXPECT_EQ(check.findings.missingFiles.size(), 2u);
  EXPECT_EQ(check.filesFound, 7u);
  ASSERT_EQ(check.findings.filesNamedInText.size(), 1u);
  ASSERT_EQ(result_.findings.filesNamedInText.size(), 1u);
  EXPECT_EQ(check.findings.filesNamedInText[0].path, "C:\\Calypso\\Attach\\a.txt");
  EXPECT_EQ(result_.findings.filesNamedInText[0].subject, "m6");

  // Without an output the folders get no file.
  const ExportCheck bare = CheckExport(request, false);
  ASSERT_EQ(bare.folders.size(), 3u);
  EXPECT_EQ(bare.folders[0].place, "");
  EXPECT_EQ(Paths(bare.findings), Paths(result_.findings));
}

TEST_F(ConversionTest, ACheckEndsWithTheErrorAConversionWouldEndWith) {
  const std::string input = folder_.WriteFile("export.txt", Message("Inbox", "1"));
  const ExportCheck missingFolder = CheckExport(
      {input, ConversionOutput{DestinationKind::kMboxFiles, Out("nowhere/m.mbx")}, {}}, true);
  EXPECT_NE(missingFolder.error, "");
  // The export is looked at all the same.
  EXPECT_EQ(missingFolder.folders.size(), 1u);
  const ExportCheck notAnExport =
      CheckExport({folder_.WriteFile("text.txt", "just text\r\n"), ConversionOutput{}, {}}, false);
  EXPECT_NE(notAnExport.error.find("is not a Calypso export"), std::string::npos);
  EXPECT_TRUE(notAnExport.folders.empty());
  EXPECT_EQ(Written(folder_.Path()), (std::set<std::string>{"text.txt"}));
}

// The profile stays as it was, byte for byte; the folders are named where they would be.
TEST_F(ConversionTest, ACheckOfAProfileLeavesItAsItWas) {
  const std::string input = folder_.WriteFile("export.txt", ExportWithFiles(folder_));
  TempFolder profile;
  test::WritePrefs(profile.Path());
  fs::create_directories(profile.Path() / "Mail" / "Local Folders" / "Calypso.sbd");
  const auto before = test::Snapshot(profile.Path());
  const ConversionRequest request{
      input, ConversionOutput{DestinationKind::kThunderbird, profile.Path().string()}, {}};
  const ExportCheck check = CheckExport(request, true);
  EXPECT_EQ(check.error, "");
  EXPECT_EQ(test::Snapshot(profile.Path()), before);
  ASSERT_EQ(check.folders.size(), 3u);
  EXPECT_EQ(check.folders[0].place,
            (profile.Path() / "Mail" / "Local Folders" / "Calypso-2.sbd" / "Inbox").string());
  {
    const auto held = test::HoldProfile(profile.Path());
    EXPECT_NE(CheckExport(request, true).error.find("Thunderbird is running"), std::string::npos);
  }
  EXPECT_EQ(test::Snapshot(profile.Path()), before);
}

// The messages a place holds once a run is done: an mbox file's separator lines, or the files
// in a maildir folder's cur/.
std::size_t MessagesAt(const fs::path& place) {
  if (!fs::is_directory(place)) return static_cast<std::size_t>(CountSeparators(ReadBytes(place)));
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(place / "cur"), fs::directory_iterator()));
}

// For every destination a look names the places a run then fills, each with the count it told,
// and a folder of the tree is where its path says.
TEST_F(ConversionTest, ACheckAndAConversionAgreeForEveryDestination) {
  std::string exported;
  int number = 0;
  for (const char* name :
       {"Family\\Holidays", "Family_Holidays", "Family", "A\\\\B", "A\\B", "\\Inbox", "Inbox",
        "Gr\xFC\xDF"
        "e\\Sub",
        "Family\\Holidays"}) {
    exported += Message(name, "m" + std::to_string(++number));
  }
  const std::string input = folder_.WriteFile("export.txt", exported);
  TempFolder profiles;
  const fs::path mboxStore = profiles.Path() / "mbox";
  const fs::path maildirStore = profiles.Path() / "maildir";
  test::WritePrefs(mboxStore);
  test::WritePrefs(maildirStore);
  std::ofstream(maildirStore / "user.js") << "user_pref(\"mail.server.server1.storeContractID\", "
                                             "\"@mozilla.org/msgstore/maildirstore;1\");\n";
  fs::create_directories(folder_.Path() / "out");
  const struct {
    ConversionOutput output;
    std::size_t folders;  // the mbox files share one between the two Holidays
    fs::path holidays;    // where Family\Holidays goes
  } cases[] = {
      {{DestinationKind::kMboxFiles, Out("out/")},
       7,
       folder_.Path() / "out" / "Family_Holidays.mbx"},
      {{DestinationKind::kThunderbird, mboxStore.string()},
       8,
       mboxStore / "Mail" / "Local Folders" / "Calypso.sbd" / "Family.sbd" / "Holidays"},
      {{DestinationKind::kThunderbird, maildirStore.string()},
       8,
       maildirStore / "Mail" / "Local Folders" / "Calypso.sbd" / "Family.sbd" / "Holidays"},
      {{DestinationKind::kMaildir, Out("Maildir")},
       8,
       folder_.Path() / "Maildir" / ".Calypso.Family.Holidays"},
  };
  for (const auto& c : cases) {
    const ConversionRequest request{input, c.output, {}};
    const ExportCheck check = CheckExport(request, true);
    ASSERT_EQ(check.error, "") << c.output.place;
    ASSERT_EQ(check.folders.size(), c.folders) << c.output.place;
    ASSERT_TRUE(Convert(request, RunReport{log_, &status_}).succeeded) << view_.text;
    std::size_t total = 0;
    for (const FolderPlan& folder : check.folders) {
      EXPECT_EQ(MessagesAt(Utf8Path(folder.place)), folder.messages) << folder.place;
      total += folder.messages;
    }
    EXPECT_EQ(total, 9u) << c.output.place;
    EXPECT_EQ(MessagesAt(c.holidays), c.output.kind == DestinationKind::kMboxFiles ? 3u : 2u)
        << c.holidays;
  }
}

// Files only measured bring the findings that reading them brings, a message too large
// included, for which the attached files are left out from the last on.
TEST(MeasuringConverterTest, FindsWhatReadingFinds) {
  TempFolder folder;
  fs::create_directories(folder.Path() / "Attach");
  folder.WriteFile("Attach/big.zip", std::string(3000, 'z'));
  folder.WriteFile("Attach/small.txt", "small\r\n");
  const std::string message =
      "From ???@???\r\nSubject: s\r\nX-CalypsoFolder: Inbox\r\n\r\ntext\r\n"
      "X-Attachment: \"C:\\Calypso\\Attach\\small.txt\";\r\n"
      "X-Attachment: \"C:\\Calypso\\Attach\\big.zip\";\r\n";
  for (const int largest : {100000, 3000, 1000, 100}) {
    MessageConverter reading({folder.Path().string()});
    MessageConverter measuring({folder.Path().string()});
    measuring.MeasureOnly();
    reading.SetMaxStoreLength(largest);
    measuring.SetMaxStoreLength(largest);
    const ConvertedMessage read = reading.ConvertMessage(message);
    const ConvertedMessage measured = measuring.ConvertMessage(message);
    EXPECT_EQ(Paths(measured.findings), Paths(read.findings)) << largest;
    EXPECT_EQ(measured.findings.messageProblems.size(), read.findings.messageProblems.size())
        << largest;
    EXPECT_EQ(measured.text, "");
    EXPECT_EQ(measuring.FilesFound(), reading.FilesFound());
  }
}

}  // namespace
}  // namespace vandrel
