#include "engine/destinations/mbox/mbox_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/destinations/thunderbird/thunderbird_names.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

TEST(MboxFilesTest, MboxFilesAreNamedSoThatThunderbirdOpensThem) {
  MboxFiles files("/out/mail.mbx");
  EXPECT_EQ(files.PlaceOf({"Sent Items", {}}), "/out/mailSent_Items.mbx");
  EXPECT_EQ(files.PlaceOf({"Sent_Items", {}}), "/out/mailSent_Items-2.mbx");
  EXPECT_EQ(files.PlaceOf({"a;b", {}}), "/out/" + ThunderbirdFileName("maila;b") + ".mbx");
  const std::string longName(60, 'L');
  EXPECT_EQ(files.PlaceOf({longName, {}}),
            "/out/" + ThunderbirdFileName("mail" + longName) + ".mbx");
  EXPECT_EQ(files.Description(), "/out/mail.mbx");
}

// ".mbx" is replaced in the output's file name only; the folders on the way stay as written.
TEST(MboxFilesTest, OnlyTheFileNameOfTheOutputTakesTheFolderName) {
  const struct {
    std::string output;
    std::vector<std::string> expected;  // for Inbox, then Inbox again, then the empty name
  } cases[] = {
      {"/out/mail.mbx", {"/out/mailInbox.mbx", "/out/mailInbox-2.mbx", "/out/mail.mbx"}},
      {"/backup.mbx.d/mail.mbx",
       {"/backup.mbx.d/mailInbox.mbx", "/backup.mbx.d/mailInbox-2.mbx", "/backup.mbx.d/mail.mbx"}},
      {"/a.mbx/m.mbx", {"/a.mbx/mInbox.mbx", "/a.mbx/mInbox-2.mbx", "/a.mbx/m.mbx"}},
      {"/out/a.mbx.mbx", {"/out/aInboxInbox.mbx", "/out/aInboxInbox-2.mbx", "/out/a.mbx"}},
      {"/out/plain", {"/out/plain.mbx", "/out/plain-2.mbx", "/out/plain-3.mbx"}},
      {"mail.mbx", {"mailInbox.mbx", "mailInbox-2.mbx", "mail.mbx"}},
      // A path ending in "/" is a folder, whether it exists or not (the check says it must).
      {"/no/such/folder/",
       {"/no/such/folder/Inbox.mbx", "/no/such/folder/Inbox-2.mbx",
        "/no/such/folder/Unnamed_folder.mbx"}},
  };
  for (const auto& c : cases) {
    MboxFiles files(c.output);
    EXPECT_EQ(files.PlaceOf({"Inbox", {}}), c.expected[0]) << c.output;
    EXPECT_EQ(files.PlaceOf({"Inbox", {}}), c.expected[1]) << c.output;
    EXPECT_EQ(files.PlaceOf({"", {}}), c.expected[2]) << c.output;
  }
}

TEST(MboxFilesTest, AnExistingFolderTakesOneFilePerFolder) {
  TempFolder folder;
  const std::string out = folder.Path().string();
  {
    MboxFiles files(out);
    EXPECT_EQ(files.Check(), "");
    EXPECT_EQ(files.PlaceOf({"Sent Items", {}}), out + "/Sent_Items.mbx");
    EXPECT_EQ(files.PlaceOf({"", {}}), out + "/Unnamed_folder.mbx");
    EXPECT_EQ(files.PlaceOf({"Unnamed folder", {}}), out + "/Unnamed_folder-2.mbx");
  }
  // The run's lock goes with it.
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// Runs into one output name take turns; runs into others in the same folder do not meet, and
// each removes only its own name's leftovers.
TEST(MboxFilesTest, OneRunPerOutputNameAndLeftoversOfKilledRunsAreRemoved) {
  namespace fs = std::filesystem;
  TempFolder folder;
  const std::string out = folder.Path().string();
  std::string prefix;
  {
    MboxFiles first(out + "/mail.mbx");
    ASSERT_EQ(first.Check(), "");
    prefix = first.TemporaryPrefix();
    EXPECT_TRUE(prefix.starts_with(".vandrel-")) << prefix;
    MboxFiles other(out + "/other.mbx");
    ASSERT_EQ(other.Check(), "");
    EXPECT_NE(other.TemporaryPrefix(), prefix);
    folder.WriteFile(other.TemporaryPrefix() + "being-written", "another run's");
    MboxFiles second(out + "/mail.mbx");
    EXPECT_EQ(second.Check(), "another conversion is writing " + out + "/mail.mbx.");
  }
  // What a killed run into mail.mbx left goes with the next run into it; the other's stays.
  folder.WriteFile(prefix + "left-by-a-killed-run", "half a message");
  MboxFiles next(out + "/mail.mbx");
  ASSERT_EQ(next.Check(), "");
  EXPECT_FALSE(fs::exists(folder.Path() / (prefix + "left-by-a-killed-run")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace vandrel
