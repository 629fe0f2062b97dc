#include "engine/reading/mailbox_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "temp_folder.h"

namespace vandrel {
namespace {

using Folders = std::vector<std::pair<std::string, MessageList>>;

class RecordingStatus : public StatusSink {
 public:
  void SetStatusText(std::string_view text) override { texts.emplace_back(text); }
  void SetProgressRange(int) override { ADD_FAILURE() << "the reader sets no progress"; }
  void SetProgressPosition(int) override { ADD_FAILURE() << "the reader sets no progress"; }
  void StepProgress() override { ADD_FAILURE() << "the reader sets no progress"; }
  std::vector<std::string> texts;
};

class RecordingView : public LogView {
 public:
  bool IsEmpty() const override { return text.empty(); }
  void AppendAndScroll(std::string_view addition) override { text += addition; }
  std::string text;
};

class MailboxReaderTest : public testing::Test {
 protected:
  MailboxReaderTest() {
    log_.AttachEdit(&view_);
    reader_.SetLog(&log_);
    reader_.SetStatusSink(&status_);
  }

  bool Load(const std::string& path) { return reader_.LoadMailbox(path); }

  Folders FoldersInOrder() const {
    Folders folders;
    for (const FolderMap::Folder& folder : *reader_.Folders()) {
      folders.emplace_back(folder.name, folder.messages);
    }
    return folders;
  }

  TempFolder temp_;
  RecordingView view_;
  ActivityLog log_;
  RecordingStatus status_;
  MailboxReader reader_;
};

TEST_F(MailboxReaderTest, SplitsAtSeparatorLinesAndFilesByFolder) {
  const std::string inbox = "From ???@??? Mon Jan 01 00:00:00 2001\r\nX-CalypsoFolder: Inbox\r\n";
  const struct {
    const char* name;
    std::string input;
    Folders expected;
    int count;
  } cases[] = {
      {"empty file", "", {}, 1},
      {"no separator", "just\ntext\n", {}, 1},
      {"text before the first separator is dropped",
       "preamble\n\nFrom ???@??? Mon Jan 01 00:00:00 2001\nX-CalypsoFolder: Inbox\nbody\n",
       {{"Inbox", {inbox + "body\r\n"}}},
       2},
      {"LF line ends",
       "From ???@??? Mon Jan 01 00:00:00 2001\nX-CalypsoFolder: Inbox\n\nbody\n",
       {{"Inbox", {inbox + "\r\nbody\r\n"}}},
       2},
      {"CR LF line ends",
       "From ???@??? Mon Jan 01 00:00:00 2001\r\nX-CalypsoFolder: Inbox\r\n\r\nbody\r\n",
       {{"Inbox", {inbox + "\r\nbody\r\n"}}},
       2},
      {"two messages, one folder each",
       "From ???@??? 1\nX-CalypsoFolder: Sent\na\nFrom ???@??? 2\nX-CalypsoFolder: Inbox\nb\n",
       {{"Inbox", {"From ???@??? 2\r\nX-CalypsoFolder: Inbox\r\nb\r\n"}},
        {"Sent", {"From ???@??? 1\r\nX-CalypsoFolder: Sent\r\na\r\n"}}},
       3},
      {"separator only at a line start",
       "From ???@???\nX-CalypsoFolder: A\n> From ???@??? quoted\n From ???@???\nFrom ???@?? x\n",
       {{"A",
         {"From ???@???\r\nX-CalypsoFolder: A\r\n> From ???@??? quoted\r\n From ???@???\r\n"
          "From ???@?? x\r\n"}}},
       2},
      {"separator as the last line, without line end",
       "From ???@???\nX-CalypsoFolder: A\nFrom ???@???",
       {{"default mailbox", {"From ???@???\r\n"}},
        {"A", {"From ???@???\r\nX-CalypsoFolder: A\r\n"}}},
       3},
      {"trailing space and empty name",
       "From ???@???\nX-CalypsoFolder: Inbox \nFrom ???@???\nX-CalypsoFolder: \n",
       {{"", {"From ???@???\r\nX-CalypsoFolder: \r\n"}},
        {"Inbox ", {"From ???@???\r\nX-CalypsoFolder: Inbox \r\n"}}},
       3},
      {"backslash and underscore share a folder",
       "From ???@??? 1\nX-CalypsoFolder: Mail\\Archiv\nFrom ???@??? 2\nX-CalypsoFolder: "
       "Mail_Archiv\n",
       {{"Mail_Archiv",
         {"From ???@??? 1\r\nX-CalypsoFolder: Mail\\Archiv\r\n",
          "From ???@??? 2\r\nX-CalypsoFolder: Mail_Archiv\r\n"}}},
       3},
      {"names are case-sensitive",
       "From ???@??? 1\nX-CalypsoFolder: Inbox\nFrom ???@??? 2\nX-CalypsoFolder: inbox\n",
       {{"inbox", {"From ???@??? 2\r\nX-CalypsoFolder: inbox\r\n"}},
        {"Inbox", {"From ???@??? 1\r\nX-CalypsoFolder: Inbox\r\n"}}},
       3},
      {"0x1A ends the input",
       "From ???@???\nX-CalypsoFolder: A\nkept\x1Alost\nFrom ???@???\nX-CalypsoFolder: B\n",
       {{"A", {"From ???@???\r\nX-CalypsoFolder: A\r\nkept\r\n"}}},
       2},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Load(temp_.WriteFile("export.txt", c.input))) << c.name;
    EXPECT_EQ(FoldersInOrder(), c.expected) << c.name;
    EXPECT_EQ(reader_.MessageCount(), c.count) << c.name;
    EXPECT_EQ(reader_.ErrorMessage(), "") << c.name;
  }
}

TEST_F(MailboxReaderTest, ReportsProgressAndLogsAroundTheLoad) {
  const std::string path = temp_.WriteFile(
      "export.txt",
      "From ???@??? 1\r\nX-CalypsoFolder: Inbox\r\nFrom ???@??? 2\r\nX-CalypsoFolder: Sent\r\n"
      "From ???@??? 3\r\nX-CalypsoFolder: Inbox\r\n");
  EXPECT_FALSE(reader_.IsLoading());
  ASSERT_TRUE(Load(path));
  EXPECT_FALSE(reader_.IsLoading());
  EXPECT_EQ(reader_.InputPath(), path);
  EXPECT_EQ(reader_.MessageCount(), 4);
  EXPECT_EQ(status_.texts, (std::vector<std::string>{"loading mails: 1", "loading mails: 2",
                                                     "loading mails: 3", "loading mails: 4"}));
  EXPECT_EQ(view_.text, "start parsing file: " + path + " ...\r\nmailbox file loaded.");
  ASSERT_EQ(FoldersInOrder().size(), 2u);
  EXPECT_EQ(FoldersInOrder()[0].second.size(), 2u);
}

TEST_F(MailboxReaderTest, AnUnreadableInputIsAnErrorNotAnEmptyMailbox) {
  const std::string missingFile = (temp_.Path() / "missing.txt").string();
  const std::string missingFolder = (temp_.Path() / "gone" / "export.txt").string();
  const std::string folder = temp_.Path().string();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {missingFile, missingFile + " wurde nicht gefunden."},
      {missingFolder, missingFolder + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe."},
      {folder, "Zugriff auf " + folder + " wurde verwehrt."},
  };
  for (const auto& c : cases) {
    view_.text.clear();
    EXPECT_FALSE(Load(c.path)) << c.path;
    EXPECT_FALSE(reader_.IsLoading());
    EXPECT_NE(reader_.ErrorNumber(), 0) << c.path;
    EXPECT_EQ(reader_.ErrorMessage(), c.message);
    EXPECT_EQ(view_.text, "start parsing file: " + c.path + " ...");
  }
  // A good load afterwards clears the error.
  EXPECT_TRUE(Load(temp_.WriteFile("good.txt", "From ???@???\n")));
  EXPECT_EQ(reader_.ErrorNumber(), 0);
  EXPECT_EQ(reader_.ErrorMessage(), "");
}

TEST_F(MailboxReaderTest, WorksWithoutLogOrStatusSink) {
  MailboxReader bare;
  EXPECT_TRUE(
      bare.LoadMailbox(temp_.WriteFile("export.txt", "From ???@???\nX-CalypsoFolder: A\n")));
  EXPECT_EQ(bare.MessageCount(), 2);
  EXPECT_FALSE(bare.LoadMailbox((temp_.Path() / "missing").string()));
}

TEST(ExtractFolderNameTest, TakesTheRestOfTheFirstTaggedLine) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"From ???@???\r\nX-CalypsoFolder: Inbox\r\n", "Inbox"},
      {"X-CalypsoFolder: Inbox \r\n", "Inbox "},
      {"X-CalypsoFolder:  Sent\r\n", " Sent"},
      {"X-CalypsoFolder: \r\n", ""},
      {"X-CalypsoFolder: A\r\r\n", "A\r"},
      {"Subject: X-CalypsoFolder: Odd\r\nX-CalypsoFolder: Inbox\r\n", "Odd"},
      {"X-CalypsoFolder: a\\b\\\\c\r\n", "a_b__c"},
      {"X-CalypsoFolder:Inbox\r\n", "default mailbox"},
      {"x-calypsofolder: Inbox\r\n", "default mailbox"},
      {"From ???@???\r\n", "default mailbox"},
      {"", "default mailbox"},
      // Not what the reader produces, but the name must still come out whole.
      {"X-CalypsoFolder: Inbox", "Inbox"},
      {"X-CalypsoFolder: Inbox\n", "Inbox"},
      {"X-CalypsoFolder: \n", ""},
      {"X-CalypsoFolder: ", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MailboxReader::ExtractFolderName(c.text), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace vandrel
