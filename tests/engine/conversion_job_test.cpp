#include "engine/conversion_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "engine/thunderbird/thunderbird_names.h"
#include "recording_sinks.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

std::string Message(const std::string& folder, const std::string& subject) {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject +
         "\r\nX-CalypsoFolder: " + folder + "\r\n\r\nText of " + subject + "\r\n";
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int CountSeparators(const std::string& mbox) {
  int count = 0;
  for (std::size_t at = 0; (at = mbox.find("From ", at)) != std::string::npos; at += 5) {
    if (at == 0 || mbox[at - 1] == '\n') ++count;
  }
  return count;
}

class ConversionJobTest : public ::testing::Test {
 protected:
  ConversionJobTest() {
    log_.AttachEdit(&view_);
    job_.SetLog(&log_);
    job_.SetStatusSink(&status_);
  }

  bool RunOn(const std::string& exportText, const std::string& outputName) {
    const std::string input = folder_.WriteFile("export.txt", exportText);
    EXPECT_TRUE(job_.Start(input, (folder_.Path() / outputName).string()));
    job_.Wait();
    EXPECT_FALSE(job_.IsRunning());
    return job_.Succeeded();
  }

  std::string Out(const std::string& name) const { return (folder_.Path() / name).string(); }

  TempFolder folder_;
  RecordingLogView view_;
  RecordingStatus status_;
  ActivityLog log_;
  ConversionJob job_;
};

TEST_F(ConversionJobTest, TheExampleRunWritesOneFilePerFolder) {
  ASSERT_TRUE(RunOn(Message("Inbox", "one") + Message("Sent", "two") + Message("Inbox", "three"),
                    "mail.mbx"));
  const std::string input = Out("export.txt");
  EXPECT_EQ(view_.text,
            "loading input file\r\nstart parsing file: " + input +
                " ...\r\nmailbox file loaded.\r\nconverting to output file: " + Out("mail.mbx") +
                "\r\nprocessing Inbox\r\nprocessing Sent\r\nconversion done.\r\n3 mails written.");
  // The status and the bar start empty, then count the messages from 1 to 3 of 3.
  EXPECT_EQ(
      status_.texts,
      (std::vector<std::string>{
          "", "loading mails: 1", "loading mails: 2", "loading mails: 3", "loading mails: 4",
          "converting ...", "exporting (1 of 3)", "exporting (1 of 3) one", "exporting (2 of 3)",
          "exporting (2 of 3) three", "exporting (3 of 3)", "exporting (3 of 3) two", "ready"}));
  EXPECT_EQ(status_.calls, (std::vector<std::string>{"position 0", "range 0..3", "position 0",
                                                     "step", "step", "step"}));

  const std::string inbox = ReadBytes(Out("mailInbox.mbx"));
  const std::string sent = ReadBytes(Out("mailSent.mbx"));
  EXPECT_EQ(CountSeparators(inbox), 2);
  EXPECT_EQ(CountSeparators(sent), 1);
  EXPECT_LT(inbox.find("Subject: one"), inbox.find("Subject: three"));
  // Every line ends in CR LF, and an empty line follows each message.
  EXPECT_EQ(inbox.find('\n') - 1, inbox.find('\r'));
  EXPECT_EQ(inbox.find("\n\n"), std::string::npos);
  EXPECT_TRUE(sent.ends_with("--\r\n\r\n"));
}

TEST_F(ConversionJobTest, AnExportWithoutMessagesWritesNothing) {
  for (const std::string text : {"", "no separator line here\r\n"}) {
    view_.text.clear();
    status_ = RecordingStatus();
    ASSERT_TRUE(RunOn(text, "mail.mbx"));
    EXPECT_TRUE(view_.text.ends_with("\r\nconversion done.\r\n0 mails written.")) << view_.text;
    EXPECT_EQ(status_.calls, (std::vector<std::string>{"position 0", "range 0..0", "position 0"}));
    EXPECT_EQ(status_.texts.back(), "ready");
    EXPECT_FALSE(fs::exists(Out("mail.mbx")));
  }
}

TEST_F(ConversionJobTest, FolderNamesBecomeFileNamesThatStayApart) {
  const std::string exported = Message("My Mail", "a") + Message("My_Mail", "b") +
                               Message("Inbox", "c") + Message("inbox", "d") +
                               Message("\"Quoted\"", "e") + Message("a/b:c*d?", "f") +
                               Message(std::string(250, 'x'), "g") + Message("", "h");
  ASSERT_TRUE(RunOn(exported, "m.mbx"));
  std::set<std::string> written;
  for (const auto& entry : fs::directory_iterator(folder_.Path())) {
    const std::string name = entry.path().filename().string();
    if (name == "export.txt") continue;
    written.insert(name);
    EXPECT_EQ(CountSeparators(ReadBytes(entry.path())), 1) << name;
  }
  // Inbox and inbox are one file on Windows: whichever comes second gets "-2".
  const bool inboxFirst = written.count("mInbox.mbx") != 0;
  EXPECT_EQ(written, (std::set<std::string>{
                         "mMy_Mail.mbx", "mMy_Mail-2.mbx", inboxFirst ? "mInbox.mbx" : "minbox.mbx",
                         inboxFirst ? "minbox-2.mbx" : "mInbox-2.mbx", "mQuoted.mbx",
                         "ma_b_c_d_.mbx", "m.mbx",
                         // Longer than Thunderbird takes: its own short form.
                         ThunderbirdFileName("m" + std::string(200, 'x')) + ".mbx"}));
  EXPECT_NE(view_.text.find("processing a_b_c_d_\r\n"), std::string::npos);
}

TEST_F(ConversionJobTest, AnOutputFolderGetsOneFilePerFolderNamedByTheFolder) {
  fs::create_directories(folder_.Path() / "out.mbx");
  for (const std::string output : {"out.mbx", "out.mbx/"}) {
    ASSERT_TRUE(RunOn(Message("Inbox", "1") + Message("Sent Items", "2") + Message("", "3") +
                          Message("Unnamed folder", "4"),
                      output));
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(folder_.Path() / "out.mbx")) {
      written.insert(entry.path().filename().string());
      EXPECT_EQ(CountSeparators(ReadBytes(entry.path())), 1) << entry.path();
    }
    EXPECT_EQ(written, (std::set<std::string>{"Inbox.mbx", "Sent_Items.mbx", "Unnamed_folder.mbx",
                                              "Unnamed_folder-2.mbx"}))
        << output;
    fs::remove_all(folder_.Path() / "out.mbx");
    fs::create_directories(folder_.Path() / "out.mbx");
  }
}

TEST_F(ConversionJobTest, WithoutMbxInTheOutputPathFoldersStillGetFilesOfTheirOwn) {
  ASSERT_TRUE(RunOn(Message("Inbox", "1") + Message("Sent", "2"), "plain"));
  EXPECT_EQ(CountSeparators(ReadBytes(Out("plain.mbx"))), 1);
  EXPECT_EQ(CountSeparators(ReadBytes(Out("plain-2.mbx"))), 1);
}

TEST_F(ConversionJobTest, FailuresEndTheRunWithAnErrorLine) {
  const std::string exported = Message("Inbox", "1") + Message("Sent", "2");
  folder_.WriteFile("export.txt", exported);
  fs::create_directories(folder_.Path() / "dir");
  const struct {
    std::string input;
    std::string output;
    std::string error;
    bool exportRead;  // the output was found wanting only after the export was read
  } cases[] = {
      {Out("missing.txt"), Out("m.mbx"), "Error: " + Out("missing.txt") + " wurde nicht gefunden.",
       true},
      {Out("dir"), Out("m.mbx"), "Error: Zugriff auf " + Out("dir") + " wurde verwehrt.", true},
      // A missing or closed output folder is found before the export is read.
      {Out("export.txt"), Out("nowhere/m.mbx"),
       "Error: " + Out("nowhere/m.mbx") + " enthält eine ungültige Pfadangabe.", false},
      {Out("export.txt"), Out("nowhere/"),
       "Error: " + Out("nowhere/") + " enthält eine ungültige Pfadangabe.", false},
      {Out("export.txt"), Out("export.txt/m.mbx"),
       "Error: " + Out("export.txt/m.mbx") + " enthält eine ungültige Pfadangabe.", false},
      {Out("export.txt"), "", "Error: no output file given.", false},
  };
  for (const auto& c : cases) {
    view_.text.clear();
    status_ = RecordingStatus();
    ASSERT_TRUE(job_.Start(c.input, c.output));
    job_.Wait();
    EXPECT_FALSE(job_.Succeeded()) << c.input;
    EXPECT_TRUE(view_.text.ends_with(c.error)) << view_.text;
    EXPECT_EQ(view_.text.find("conversion done."), std::string::npos) << c.input;
    EXPECT_EQ(view_.text.find("loading input file") != std::string::npos, c.exportRead)
        << view_.text;
    EXPECT_EQ(status_.texts.back(), "failed: see the log") << c.output;
  }
  EXPECT_FALSE(fs::exists(Out("mInbox.mbx")));
  EXPECT_FALSE(fs::exists(Out("nowhere")));
}

TEST_F(ConversionJobTest, EachRunReportsOnlyTheFilesItMissed) {
  const std::string missing = "X-Attachment: \"C:\\gone.doc\"; 1 KB\r\n";
  const std::string withMissing = "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: s\r\n" +
                                  missing + "X-CalypsoFolder: Inbox\r\n\r\nText\r\n";
  ASSERT_TRUE(RunOn(withMissing, "m.mbx"));
  ASSERT_EQ(job_.MissingFiles().size(), 1u);
  EXPECT_EQ(job_.MissingFiles()[0].path, "C:\\gone.doc");
  // A run that fails before it converts anything, then one whose files are all there.
  EXPECT_FALSE(RunOn(withMissing, "nowhere/m.mbx"));
  EXPECT_TRUE(job_.MissingFiles().empty());
  ASSERT_TRUE(RunOn(withMissing, "m.mbx"));
  EXPECT_EQ(job_.MissingFiles().size(), 1u);
  ASSERT_TRUE(RunOn(Message("Inbox", "1"), "m.mbx"));
  EXPECT_TRUE(job_.MissingFiles().empty());
}

TEST(ConversionJobRunningTest, TheRunningFlagIsSetWhenStartReturnsAndClearedAtTheEnd) {
  TempFolder folder;
  const std::string input = folder.WriteFile("export.txt", Message("Inbox", "one"));
  GatedStatus status;  // holds the worker at its first status text
  ConversionJob job;
  RecordingLogView view;
  ActivityLog log;
  log.AttachEdit(&view);
  job.SetLog(&log);
  job.SetStatusSink(&status);
  EXPECT_FALSE(job.IsRunning());
  ASSERT_TRUE(job.Start(input, (folder.Path() / "m.mbx").string()));
  EXPECT_TRUE(job.IsRunning());
  status.Open();
  job.Wait();
  EXPECT_FALSE(job.IsRunning());
  EXPECT_TRUE(job.Succeeded());
  EXPECT_TRUE(view.text.ends_with("1 mails written.")) << view.text;
}

}  // namespace
}  // namespace vandrel
