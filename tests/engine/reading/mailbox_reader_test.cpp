#include "engine/reading/mailbox_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

using namespace std::string_literals;

using Folders = std::vector<std::pair<std::string, std::vector<MessageText>>>;

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

  // In a file of its own: the reader keeps the last export open, and on Windows no one else
  // may write it meanwhile.
  bool LoadNew(const std::string& bytes) {
    return Load(temp_.WriteFile("export" + std::to_string(++exports_) + ".txt", bytes));
  }

  // Every message as it is read again for converting.
  Folders FoldersInOrder() {
    Folders folders;
    for (const FolderMap::Folder& folder : *reader_.Folders()) {
      folders.emplace_back(folder.name, std::vector<MessageText>{});
      for (const MessageSpan& span : folder.messages) {
        MessageText text;
        EXPECT_TRUE(reader_.ReadMessage(span, text)) << reader_.ErrorMessage();
        folders.back().second.push_back(text);
      }
    }
    return folders;
  }

  TempFolder temp_;
  RecordingView view_;
  ActivityLog log_;
  RecordingStatus status_;
  MailboxReader reader_;
  int exports_ = 0;
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
      {"blanks and line ends only", "  \t\r\n\n \r\n", {}, 1},
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
      // A backslash makes a folder in a folder: the name is kept as the export has it.
      {"backslash and underscore are different folders",
       "From ???@??? 1\nX-CalypsoFolder: Mail\\Archiv\nFrom ???@??? 2\nX-CalypsoFolder: "
       "Mail_Archiv\n",
       {{"Mail\\Archiv", {"From ???@??? 1\r\nX-CalypsoFolder: Mail\\Archiv\r\n"}},
        {"Mail_Archiv", {"From ???@??? 2\r\nX-CalypsoFolder: Mail_Archiv\r\n"}}},
       3},
      {"names are case-sensitive",
       "From ???@??? 1\nX-CalypsoFolder: Inbox\nFrom ???@??? 2\nX-CalypsoFolder: inbox\n",
       {{"inbox", {"From ???@??? 2\r\nX-CalypsoFolder: inbox\r\n"}},
        {"Inbox", {"From ???@??? 1\r\nX-CalypsoFolder: Inbox\r\n"}}},
       3},
      // Nothing ends the input early and no byte is dropped.
      {"0x1A is an ordinary byte",
       "From ???@???\nX-CalypsoFolder: A\nkept\x1Akept\nFrom ???@???\nX-CalypsoFolder: B\n",
       {{"A", {"From ???@???\r\nX-CalypsoFolder: A\r\nkept\x1Akept\r\n"}},
        {"B", {"From ???@???\r\nX-CalypsoFolder: B\r\n"}}},
       3},
      {"NUL is an ordinary byte",
       "From ???@???\nX-CalypsoFolder: A\na\0From ???@???\nb\0\nFrom ???@???\0x\n"s,
       {{"default mailbox", {"From ???@???\0x\r\n"s}},
        {"A", {"From ???@???\r\nX-CalypsoFolder: A\r\na\0From ???@???\r\nb\0\r\n"s}}},
       3},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(LoadNew(c.input)) << c.name;
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

// Lines that end in CR alone once made one empty message of the whole export.
TEST_F(MailboxReaderTest, AnExportWithCrLineEndsIsReadAsLines) {
  const std::string exported =
      "From ???@??? Mon Mar 01 19:42:10 2004\rSubject: one\rX-CalypsoFolder: Inbox\r\rText\r"
      "From ???@??? Tue Mar 02 08:00:00 2004\rSubject: two\rX-CalypsoFolder: Sent\r\rlast";
  ASSERT_TRUE(LoadNew(exported)) << reader_.ErrorMessage();
  EXPECT_NE(view_.text.find("\r\nexport has CR line ends; read as lines.\r\n"), std::string::npos)
      << view_.text;
  EXPECT_EQ(FoldersInOrder(), (Folders{{"Inbox",
                                        {"From ???@??? Mon Mar 01 19:42:10 2004\r\nSubject: one\r\n"
                                         "X-CalypsoFolder: Inbox\r\n\r\nText\r\n"}},
                                       {"Sent",
                                        {"From ???@??? Tue Mar 02 08:00:00 2004\r\nSubject: two\r\n"
                                         "X-CalypsoFolder: Sent\r\n\r\nlast\r\n"}}}));
  // Text with LF line ends is read as always: a CR there stays in its line, unmentioned.
  view_.text.clear();
  ASSERT_TRUE(LoadNew("From ???@???\nX-CalypsoFolder: A\rB\n"));
  EXPECT_EQ(view_.text.find("CR line ends"), std::string::npos) << view_.text;
  EXPECT_EQ(FoldersInOrder()[0].first, "A\rB");
}

TEST_F(MailboxReaderTest, AnUnreadableInputIsAnErrorNotAnEmptyMailbox) {
  const std::string missingFile = (temp_.Path() / "missing.txt").string();
  const std::string missingFolder = (temp_.Path() / "gone" / "export.txt").string();
  const std::string folder = temp_.Path().string();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {missingFile, missingFile + " was not found."},
      {missingFolder, missingFolder + " contains an invalid path."},
      {folder, "Access to " + folder + " was denied."},
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

TEST_F(MailboxReaderTest, TextWithoutASeparatorLineIsNotAnExport) {
  for (const char* text : {"just\ntext\n", "\xEF\xBB\xBF  x", "From ???@?? typo\n"}) {
    view_.text.clear();
    const std::string path = temp_.WriteFile("other.txt", text);
    EXPECT_FALSE(Load(path)) << text;
    EXPECT_EQ(reader_.ErrorNumber(), 0);
    EXPECT_EQ(reader_.ErrorMessage(),
              path + " is not a Calypso export (no line starts with \"From ???@???\").");
    EXPECT_TRUE(view_.text.starts_with("start parsing file: " + path + " ...")) << view_.text;
    EXPECT_EQ(view_.text.find("mailbox file loaded."), std::string::npos);
  }
}

// Bytes of UTF-16 text, little or big endian, with its mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// An export saved again by an editor in Unicode comes back in its code page: what the code page
// lacks, broken surrogates and an odd last byte become "?".
TEST_F(MailboxReaderTest, UnicodeExportsAreConvertedBackToTheirCodePage) {
  const std::u16string message =
      u"From ???@??? 1\r\nX-CalypsoFolder: Entw\u00fcrfe\r\n\r\n5 \u20ac, \u03a9, \U0001F600 ";
  const std::string expectedText =
      "From ???@??? 1\r\nX-CalypsoFolder: Entw\xFCrfe\r\n\r\n5 \x80, ?, ? ";
  const struct {
    const char* name;
    std::string input;
    std::string codePage;
    std::string note;  // "": no conversion
    std::string text;  // of the one message
    std::string folder;
  } cases[] = {
      {"UTF-16 little endian", Utf16(message, false), "CP1252", "UTF-16", expectedText + "\r\n",
       "Entw\xFC"
       "rfe"},
      {"UTF-16 big endian", Utf16(message, true), "CP1252", "UTF-16", expectedText + "\r\n",
       "Entw\xFC"
       "rfe"},
      {"UTF-16, unpaired surrogates and an odd byte",
       Utf16(u"From ???@???\r\n\xD800x\xDC00", false) + "z", "CP1252", "UTF-16",
       "From ???@???\r\n?x??\r\n", "default mailbox"},
      {"UTF-16 into another code page", Utf16(message, false), "CP1250", "UTF-16",
       "From ???@??? 1\r\nX-CalypsoFolder: Entw\xFCrfe\r\n\r\n5 \x80, ?, ? \r\n",
       "Entw\xFC"
       "rfe"},
      {"UTF-8 with a mark",
       "\xEF\xBB\xBF"
       "From ???@??? 1\r\nX-CalypsoFolder: Entw\xC3\xBCrfe\r\n\r\n5 \xE2\x82\xAC, \xCE\xA9, "
       "\xF0\x9F\x98\x80 \r\n",
       "CP1252", "UTF-8", expectedText + "\r\n",
       "Entw\xFC"
       "rfe"},
      {"a mark, then text that is not UTF-8: only the mark goes",
       "\xEF\xBB\xBF"
       "From ???@???\r\nX-CalypsoFolder: Entw\xFCrfe\r\n",
       "CP1252", "", "From ???@???\r\nX-CalypsoFolder: Entw\xFCrfe\r\n",
       "Entw\xFC"
       "rfe"},
  };
  for (const auto& c : cases) {
    auto encoding = ExportEncoding::Create(c.codePage);
    ASSERT_NE(encoding, nullptr);
    reader_.SetEncoding(encoding.get());
    view_.text.clear();
    const std::string path = temp_.WriteFile("saved-again.txt", c.input);
    ASSERT_TRUE(Load(path)) << c.name;
    const std::string note =
        c.note.empty() ? "" : "export is " + c.note + "; converted to " + c.codePage + ".\r\n";
    EXPECT_EQ(view_.text,
              "start parsing file: " + path + " ...\r\n" + note + "mailbox file loaded.")
        << c.name;
    EXPECT_EQ(FoldersInOrder(), (Folders{{c.folder, {c.text}}})) << c.name;
  }
  // In German the form and the code page keep their places.
  const ScopedLanguage german(Language::kGerman);
  auto encoding = ExportEncoding::Create("CP1250");
  reader_.SetEncoding(encoding.get());
  view_.text.clear();
  // A file of its own: the reader still holds the last case's export open, which Windows
  // would not let us write over.
  const std::string path = temp_.WriteFile("saved-again-de.txt", Utf16(message, false));
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(view_.text, "lese Datei ein: " + path +
                            " ...\r\nExport liegt in UTF-16 vor; nach CP1250 umgewandelt.\r\n"
                            "Postfachdatei geladen.");
}

TEST_F(MailboxReaderTest, AMarkOnlyStillMakesAnEmptyExport) {
  for (const std::string& text :
       {"\xEF\xBB\xBF"s, "\xFF\xFE"s, "\xEF\xBB\xBF \r\n\t\r\n"s, Utf16(u" \r\n", true)}) {
    ASSERT_TRUE(Load(temp_.WriteFile("marked.txt", text))) << text;
    EXPECT_EQ(reader_.MessageCount(), 1);
    EXPECT_TRUE(FoldersInOrder().empty());
  }
}

TEST_F(MailboxReaderTest, WorksWithoutLogOrStatusSink) {
  MailboxReader bare;
  EXPECT_TRUE(
      bare.LoadMailbox(temp_.WriteFile("export.txt", "From ???@???\nX-CalypsoFolder: A\n")));
  EXPECT_EQ(bare.MessageCount(), 2);
  EXPECT_FALSE(bare.LoadMailbox((temp_.Path() / "missing").string()));
}

TEST_F(MailboxReaderTest, TheFolderIsTheRestOfTheFirstTaggedHeaderLine) {
  const struct {
    std::string lines;  // after the separator line
    std::string expected;
  } cases[] = {
      {"X-CalypsoFolder: Inbox\r\n", "Inbox"},
      {"X-CalypsoFolder: Inbox \r\n", "Inbox "},
      {"X-CalypsoFolder:  Sent\r\n", " Sent"},
      {"X-CalypsoFolder: \r\n", ""},
      {"X-CalypsoFolder: A\r\r\n", "A\r"},
      // Only a header line that starts with the tag names the folder.
      {"Subject: Re: X-CalypsoFolder: oops\r\nX-CalypsoFolder: Inbox\r\n", "Inbox"},
      {"X-CalypsoFolder: First\r\nX-CalypsoFolder: Second\r\n", "First"},
      {" X-CalypsoFolder: Folded\r\n", "default mailbox"},
      {"X-CalypsoFolder: a\\b\\\\c\r\n", "a\\b\\\\c"},
      {"X-CalypsoFolder:Inbox\r\n", "default mailbox"},
      {"x-calypsofolder: Inbox\r\n", "default mailbox"},
      {"Subject: none\r\n", "default mailbox"},
      {"", "default mailbox"},
      {"X-CalypsoFolder: Inbox", "Inbox"},
      {"X-CalypsoFolder: Inbox\n", "Inbox"},
      {"X-CalypsoFolder: \n", ""},
      {"X-CalypsoFolder: ", ""},
      {"X-CalypsoFolder: A\r", "A\r"},
      // The header block ends at the first empty line; the text after it names nothing.
      {"\r\nbody X-CalypsoFolder: Late\r\nX-CalypsoFolder: Later\r\n", "default mailbox"},
      {"Subject: s\r\n\r\nX-CalypsoFolder: Body\r\n", "default mailbox"},
      {"Subject: s\n\nX-CalypsoFolder: Body\n", "default mailbox"},
      {"Subject: s\r\n \r\nX-CalypsoFolder: AfterBlank\r\n", "AfterBlank"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(LoadNew("From ???@???\r\n" + c.lines)) << c.lines;
    const Folders folders = FoldersInOrder();
    ASSERT_EQ(folders.size(), 1u) << c.lines;
    EXPECT_EQ(folders[0].first, c.expected) << c.lines;
  }
}

}  // namespace
}  // namespace vandrel
