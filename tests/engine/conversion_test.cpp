#include "engine/conversion.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <set>
#include <utility>
#include <vector>

#include "conversion_fixture.h"
#include "engine/destinations/thunderbird/thunderbird_names.h"
#include "engine/end_of_run_report.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST_F(ConversionTest, TheExampleRunWritesOneFilePerFolder) {
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

TEST_F(ConversionTest, AnExportWithoutMessagesWritesNothing) {
  for (const std::string text : {"", " \t\r\n\r\n", "\xEF\xBB\xBF\r\n"}) {
    view_.text.clear();
    status_ = RecordingStatus();
    ASSERT_TRUE(RunOn(text, "mail.mbx"));
    EXPECT_TRUE(view_.text.ends_with("\r\nconversion done.\r\n0 mails written.")) << view_.text;
    EXPECT_EQ(status_.calls, (std::vector<std::string>{"position 0", "range 0..0", "position 0"}));
    EXPECT_EQ(status_.texts.back(), "ready");
    EXPECT_FALSE(fs::exists(Out("mail.mbx")));
  }
}

// Text without a single separator line is some other file, not an export without mail.
TEST_F(ConversionTest, AFileThatIsNoExportEndsTheRunWithAnError) {
  ASSERT_FALSE(RunOn("Dear Anna,\r\nthis is a letter.\r\n", "mail.mbx"));
  const std::string input = Out("export.txt");
  EXPECT_EQ(view_.text, "loading input file\r\nstart parsing file: " + input +
                            " ...\r\nError: " + input +
                            " is not a Calypso export (no line starts with \"From ???@???\").");
  EXPECT_EQ(status_.texts.back(), "failed: see the log");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 1);
}

TEST_F(ConversionTest, FolderNamesBecomeFileNamesThatStayApart) {
  const std::string exported = Message("My Mail", "a") + Message("My_Mail", "b") +
                               Message("Inbox", "c") + Message("inbox", "d") +
                               Message("\"Quoted\"", "e") + Message("a/b:c*d?", "f") +
                               Message(std::string(250, 'x'), "g") + Message("", "h") +
                               Message(std::string("nul\0name", 8), "i");
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
                         "ma_b_c_d_.mbx", "m.mbx", "mnul_name.mbx",
                         // Longer than Thunderbird takes: its own short form.
                         ThunderbirdFileName("m" + std::string(200, 'x')) + ".mbx"}));
  EXPECT_NE(view_.text.find("processing a_b_c_d_\r\n"), std::string::npos);
}

TEST_F(ConversionTest, AnOutputFolderGetsOneFilePerFolderNamedByTheFolder) {
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

TEST_F(ConversionTest, WithoutMbxInTheOutputPathFoldersStillGetFilesOfTheirOwn) {
  ASSERT_TRUE(RunOn(Message("Inbox", "1") + Message("Sent", "2"), "plain"));
  EXPECT_EQ(CountSeparators(ReadBytes(Out("plain.mbx"))), 1);
  EXPECT_EQ(CountSeparators(ReadBytes(Out("plain-2.mbx"))), 1);
}

TEST_F(ConversionTest, FailuresEndTheRunWithAnErrorLine) {
  const std::string exported = Message("Inbox", "1") + Message("Sent", "2");
  folder_.WriteFile("export.txt", exported);
  fs::create_directories(folder_.Path() / "dir");
  const struct {
    std::string input;
    std::string output;
    std::string error;
    bool exportRead;  // the output was found wanting only after the export was read
  } cases[] = {
      {Out("missing.txt"), Out("m.mbx"), "Error: " + Out("missing.txt") + " was not found.", true},
      {Out("dir"), Out("m.mbx"), "Error: Access to " + Out("dir") + " was denied.", true},
      // A missing or closed output folder is found before the export is read.
      {Out("export.txt"), Out("nowhere/m.mbx"),
       "Error: " + Out("nowhere/m.mbx") + " contains an invalid path.", false},
      {Out("export.txt"), Out("nowhere/"),
       "Error: " + Out("nowhere/") + " contains an invalid path.", false},
      {Out("export.txt"), Out("export.txt/m.mbx"),
       "Error: " + Out("export.txt/m.mbx") + " contains an invalid path.", false},
      {Out("export.txt"), "", "Error: no output file given.", false},
  };
  for (const auto& c : cases) {
    view_.text.clear();
    status_ = RecordingStatus();
    EXPECT_FALSE(Run(c.input, c.output)) << c.input;
    EXPECT_TRUE(view_.text.ends_with(c.error)) << view_.text;
    EXPECT_EQ(view_.text.find("conversion done."), std::string::npos) << c.input;
    EXPECT_EQ(view_.text.find("loading input file") != std::string::npos, c.exportRead)
        << view_.text;
    EXPECT_EQ(status_.texts.back(), "failed: see the log") << c.output;
  }
  EXPECT_FALSE(fs::exists(Out("mInbox.mbx")));
  EXPECT_FALSE(fs::exists(Out("nowhere")));
}

// Does something to the run from within it, when the status line first shows a text.
class ActingStatus : public RecordingStatus {
 public:
  ActingStatus(std::string at, std::function<void()> action)
      : at_(std::move(at)), action_(std::move(action)) {}
  void SetStatusText(std::string_view text) override {
    if (text == at_ && action_) std::exchange(action_, nullptr)();
    RecordingStatus::SetStatusText(text);
  }

 private:
  std::string at_;
  std::function<void()> action_;
};

TEST_F(ConversionTest, AStopPartWayLeavesNoCutOffFile) {
  const std::string input =
      folder_.WriteFile("export.txt", Message("Inbox", "1") + Message("Inbox", "2") +
                                          Message("Sent", "3") + Message("Trash", "4"));
  folder_.WriteFile("mTrash.mbx", "an earlier run's");
  // Stops when asked, at the next message: the same as a failure, and it says it stopped.
  std::stop_source stop;
  ActingStatus status("exporting (3 of 4)", [&] { stop.request_stop(); });  // Inbox, Trash, Sent
  const ConversionResult result =
      Convert({input, ConversionOutput{DestinationKind::kMboxFiles, Out("m.mbx")}, {}},
              RunReport{log_, &status}, stop.get_token());
  EXPECT_FALSE(result.succeeded);
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(view_.text.ends_with("\r\nprocessing Trash\r\nError: conversion stopped."))
      << view_.text;
  EXPECT_EQ(status.texts.back(), "failed: see the log");
  EXPECT_EQ(Written(folder_.Path()), (std::set<std::string>{"mInbox.mbx", "mTrash.mbx"}));
  EXPECT_EQ(CountSeparators(ReadBytes(Out("mInbox.mbx"))), 2);
  EXPECT_EQ(ReadBytes(Out("mTrash.mbx")), "an earlier run's");
}

// The export is read twice: where each message lies, then each message as it is converted.
// One written to in between is not taken for the one that was read.
TEST_F(ConversionTest, AnExportChangedDuringTheRunEndsItWithAnError) {
  const std::string input =
      folder_.WriteFile("export.txt", Message("Inbox", "1") + Message("Sent", "2"));
  ActingStatus status("converting ...", [&] {
    std::ofstream(input, std::ios::binary | std::ios::app) << "more\r\n";
  });
  const ConversionResult result =
      Convert({input, ConversionOutput{DestinationKind::kMboxFiles, Out("m.mbx")}, {}},
              RunReport{log_, &status});
#ifdef _WIN32
  // There the export is held without sharing for the whole run: the write is refused.
  EXPECT_TRUE(result.succeeded) << view_.text;
  EXPECT_EQ(ReadBytes(Utf8Path(input)), Message("Inbox", "1") + Message("Sent", "2"));
  EXPECT_EQ(Written(folder_.Path()), (std::set<std::string>{"mInbox.mbx", "mSent.mbx"}));
#else
  EXPECT_FALSE(result.succeeded);
  EXPECT_TRUE(view_.text.ends_with("\r\nprocessing Inbox\r\nError: " + input +
                                   " changed while it was being converted."))
      << view_.text;
  EXPECT_EQ(Written(folder_.Path()), std::set<std::string>{});
#endif
}

// Generated boundaries hold a counter (1 to 9, process-wide), the time and a random number.
std::string WithoutBoundaryDigits(const std::string& text) {
  static const std::regex boundary("__=_Part_Boundary_\\d{3}_\\d{6}\\.\\d{6}");
  return std::regex_replace(text, boundary, "BOUNDARY");
}

// The counters of the messages of an mbox file, in the order they stand.
std::vector<int> BoundaryCounters(const std::string& mbox) {
  static const std::regex boundary("boundary=\"__=_Part_Boundary_(\\d{3})_");
  std::vector<int> counters;
  for (std::sregex_iterator it(mbox.begin(), mbox.end(), boundary), end; it != end; ++it) {
    counters.push_back(std::stoi((*it)[1].str()));
  }
  return counters;
}

// However many threads convert, the files and the report are what one thread makes, and the
// boundaries count up in the order of the export.
TEST_F(ConversionTest, ThreadsChangeNothingThatIsWritten) {
  fs::create_directories(folder_.Path() / "Attach");
  folder_.WriteFile("Attach/a.txt", "attached\r\n");
  std::string exported;
  for (int i = 0; i < 60; ++i) {
    const std::string folder = i % 3 == 0 ? "Inbox" : i % 3 == 1 ? "Sent" : "Archiv";
    std::string attachments;
    if (i % 4 == 0) attachments += "X-Attachment: \"C:\\Calypso\\Attach\\a.txt\";\r\n";
    if (i % 7 == 0) {
      attachments +=
          "X-Attachment: \"C:\\Calypso\\Attach\\gone" + std::to_string(i) + ".gif\";\r\n";
    }
    exported += "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: m" + std::to_string(i) +
                "\r\nX-CalypsoFolder: " + folder + "\r\n" + attachments + "\r\nText\r\n";
    exported += "From here on, " + std::string(static_cast<std::size_t>(i) * 97, 'x') + "\r\n";
  }
  const std::string input = folder_.WriteFile("export.txt", exported);
  std::map<std::string, std::string> first;
  std::vector<std::string> firstMissing;
  for (const unsigned threads : {1u, 2u, 5u}) {
    const fs::path output = folder_.Path() / std::to_string(threads);
    fs::create_directories(output);
    ConversionRequest request{
        input, ConversionOutput{DestinationKind::kMboxFiles, (output / "m.mbx").string()}, {}};
    request.threads = threads;
    const ConversionResult result = Convert(request, RunReport{log_, &status_});
    ASSERT_TRUE(result.succeeded) << view_.text;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(output)) {
      const std::string mbox = ReadBytes(entry.path());
      const std::vector<int> counters = BoundaryCounters(mbox);
      ASSERT_EQ(counters.size(), 20u);
      for (std::size_t i = 1; i < counters.size(); ++i) {
        EXPECT_EQ(counters[i], counters[i - 1] % 9 + 1) << threads << " threads, message " << i;
      }
      files[entry.path().filename().string()] = WithoutBoundaryDigits(mbox);
    }
    std::vector<std::string> missing;
    for (const MissingFile& file : result.findings.missingFiles)
      missing.push_back(file.path);
    if (threads == 1) {
      first = files;
      firstMissing = missing;
      ASSERT_EQ(files.size(), 3u);
      ASSERT_EQ(missing.size(), 9u);
      EXPECT_EQ(missing.front(), "C:\\Calypso\\Attach\\gone0.gif");
    } else {
      EXPECT_TRUE(files == first) << threads << " threads wrote other files";
      EXPECT_EQ(missing, firstMissing) << threads << " threads";
    }
  }
}

// The mbox files a run wrote into the folder, by name, with their boundaries made alike.
std::map<std::string, std::string> MboxFilesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = WithoutBoundaryDigits(ReadBytes(entry.path()));
  return files;
}

// A run in German: the log, the status line and the report at the end speak German, with each
// name and count in its place and each plural chosen by its own count; what it writes is byte
// for byte what an English run writes, the folder without a name included.
TEST_F(ConversionTest, AGermanRunSpeaksGermanAndWritesWhatAnEnglishRunWrites) {
  std::string deep =
      "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: tief\r\nX-CalypsoFolder: Inbox\r\n";
  for (int level = 0; level < 200; ++level) {
    deep += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(level) +
            "x\"\r\n\r\n--b" + std::to_string(level) + "x\r\n";
  }
  deep += "Content-Type: text/plain\r\n\r\nunten\r\n";
  const std::string input = folder_.WriteFile(
      "export.txt", Message("Inbox", "eins",
                            "X-Attachment: \"C:\\Calypso\\Attach\\a.gif\";\r\n"
                            "X-Attachment: \"C:\\Calypso\\Attach\\b.pdf\";\r\n") +
                        Message("Gesendet", "zwei") +
                        "Siehe\r\nX-Attachment: \"C:\\Calypso\\Attach\\c.txt\";\r\n" + deep +
                        "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: ohne\r\n\r\nText\r\n");
  fs::create_directories(folder_.Path() / "de");
  fs::create_directories(folder_.Path() / "en");
  {
    const ScopedLanguage german(Language::kGerman);
    ASSERT_TRUE(Run(input, Out("de/m.mbx"))) << view_.text;
    EXPECT_EQ(view_.text,
              "lade Eingabedatei\r\nlese Datei ein: " + input +
                  " ...\r\nPostfachdatei geladen.\r\nkonvertiere in die Ausgabedatei: " +
                  Out("de/m.mbx") +
                  "\r\nverarbeite Gesendet\r\nverarbeite Inbox\r\nverarbeite "
                  "default_mailbox\r\nKonvertierung abgeschlossen.\r\n4 Mails "
                  "geschrieben.");
    EXPECT_EQ(status_.texts,
              (std::vector<std::string>{
                  "", "lade Mails: 1", "lade Mails: 2", "lade Mails: 3", "lade Mails: 4",
                  "lade Mails: 5", "konvertiere ...", "exportiere (1 von 4)",
                  "exportiere (1 von 4) zwei", "exportiere (2 von 4)", "exportiere (2 von 4) eins",
                  "exportiere (3 von 4)", "exportiere (3 von 4) tief", "exportiere (4 von 4)",
                  "exportiere (4 von 4) ohne", "fertig"}));
    EXPECT_EQ(EndOfRunReport(result_.findings),
              "2 im Export genannte Dateien wurden nicht gefunden oder konnten nicht gelesen "
              "werden:\n"
              "  C:\\Calypso\\Attach\\a.gif (Inbox, eins)\n"
              "  C:\\Calypso\\Attach\\b.pdf (Inbox, eins)\n"
              "1 Nachricht konnte nicht vollst\xC3\xA4ndig konvertiert werden:\n"
              "  zu tief verschachtelt (Inbox, tief)\n"
              "1 Datei wird im Text einer Nachricht genannt, nicht in ihren Kopfzeilen:\n"
              "  nennt in ihrem Text eine nicht angeh\xC3\xA4ngte Datei: "
              "C:\\Calypso\\Attach\\c.txt (Gesendet, zwei)\n");
  }
  ASSERT_TRUE(Run(input, Out("en/m.mbx"))) << view_.text;
  EXPECT_TRUE(view_.text.ends_with("\r\nconversion done.\r\n4 mails written.")) << view_.text;
  const std::map<std::string, std::string> german = MboxFilesIn(folder_.Path() / "de");
  EXPECT_EQ(german.size(), 3u);
  EXPECT_EQ(german.count("mdefault_mailbox.mbx"), 1u);
  EXPECT_TRUE(german == MboxFilesIn(folder_.Path() / "en"));
}

// Each way a run can fail, told in German: the file errors as the system has always worded them,
// the export's name and its separator in their places, a stop.
TEST_F(ConversionTest, AGermanRunTellsWhyItFailedInGerman) {
  const std::string notAnExport = folder_.WriteFile("brief.txt", "Liebe Anna,\r\n");
  const std::string exported =
      folder_.WriteFile("export.txt", Message("Inbox", "1") + Message("Inbox", "2"));
  const struct {
    std::string input;
    std::string stopAt;  // the status text at which the run is asked to stop; empty: never
    std::string error;
  } cases[] = {
      {Out("fehlt.txt"), "", "\r\nFehler: " + Out("fehlt.txt") + " wurde nicht gefunden."},
      {notAnExport, "",
       "\r\nFehler: " + notAnExport +
           " ist kein Calypso-Export (keine Zeile beginnt mit \xE2\x80\x9E"
           "From ???@???"
           "\xE2\x80\x9C)."},
      {exported, "exportiere (1 von 2)",
       "\r\nverarbeite Inbox\r\nFehler: Konvertierung abgebrochen."},
  };
  const ScopedLanguage german(Language::kGerman);
  for (const auto& c : cases) {
    view_.text.clear();
    std::stop_source stop;
    ActingStatus status(
        c.stopAt, c.stopAt.empty() ? std::function<void()>() : [&] { stop.request_stop(); });
    const ConversionResult result =
        Convert({c.input, ConversionOutput{DestinationKind::kMboxFiles, Out("m.mbx")}, {}},
                RunReport{log_, &status}, stop.get_token());
    EXPECT_FALSE(result.succeeded) << c.input;
    EXPECT_EQ(result.stopped, !c.stopAt.empty()) << c.input;
    EXPECT_TRUE(view_.text.ends_with(c.error)) << view_.text;
    EXPECT_EQ(status.texts.back(), "fehlgeschlagen: siehe Protokoll") << c.input;
  }
}

}  // namespace
}  // namespace vandrel
