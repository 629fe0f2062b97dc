// What POSIX systems do to a run's files: a read-only system folder, a file-size limit as a
// full disk would set it, modes and links of earlier files, names Windows alone refuses, and an
// export that comes through a pipe.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "conversion_fixture.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// Not even root may make a file in /sys.
TEST_F(ConversionTest, AFolderTheSystemKeepsClosedIsRefusedBeforeTheExportIsRead) {
  const std::string input = folder_.WriteFile("export.txt", Message("Inbox", "1"));
  EXPECT_FALSE(Run(input, "/sys/m.mbx"));
  EXPECT_EQ(view_.text, "Error: Access to /sys/m.mbx was denied.");
  EXPECT_EQ(status_.texts.back(), "failed: see the log");
}

// A file of an earlier run is replaced only by a complete new one: as a whole, keeping its mode,
// and a link is replaced itself, never written through.
TEST_F(ConversionTest, FinishedFilesReplaceEarlierOnesWhole) {
  folder_.WriteFile("mInbox.mbx", "earlier run");
  ::chmod(Out("mInbox.mbx").c_str(), 0640);
  folder_.WriteFile("elsewhere.txt", "not mail");
  fs::create_symlink(Out("elsewhere.txt"), Out("mSent.mbx"));
  fs::create_symlink("/dev/full", Out("mDrafts.mbx"));
  ASSERT_TRUE(RunOn(Message("Inbox", "1") + Message("Sent", "2") + Message("Drafts", "3"), "m.mbx"))
      << view_.text;
  for (const char* name : {"mInbox.mbx", "mSent.mbx", "mDrafts.mbx"}) {
    EXPECT_FALSE(fs::is_symlink(Out(name))) << name;
    EXPECT_EQ(CountSeparators(ReadBytes(Out(name))), 1) << name;
  }
  EXPECT_EQ(fs::status(Out("mInbox.mbx")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadBytes(Out("elsewhere.txt")), "not mail");
}
// A disk that fills part-way: the folders done stay, the file in hand leaves nothing behind, an
// earlier run's file of that folder stays as it was.
TEST_F(ConversionTest, AFullDiskPartWayLeavesNoCutOffFile) {
  std::string big;
  while (big.size() < 300000)
    big += "a line of text that fills the file\r\n";
  const std::string input =
      folder_.WriteFile("export.txt", Message("Inbox", "small") + Message("Sent", "big") + big);
  folder_.WriteFile("mSent.mbx", "an earlier run's");
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit limited = old;
  limited.rlim_cur = 100000;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool finished = Run(input, Out("m.mbx"));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(finished);
  EXPECT_TRUE(view_.text.ends_with("\r\nError: An unknown error occurred while accessing " +
                                   Out("mSent.mbx") + "."))
      << view_.text;
  EXPECT_EQ(Written(folder_.Path()), (std::set<std::string>{"mInbox.mbx", "mSent.mbx"}));
  EXPECT_EQ(CountSeparators(ReadBytes(Out("mInbox.mbx"))), 1);
  EXPECT_EQ(ReadBytes(Out("mSent.mbx")), "an earlier run's");
}
// Device names and letters' case beyond ASCII mean nothing to POSIX file systems: the names
// stay as the Linux build has always written them.
TEST_F(ConversionTest, WindowsDeviceNamesAndNonAsciiCaseAreLeftAlone) {
  fs::create_directories(folder_.Path() / "out");
  ASSERT_TRUE(
      RunOn(Message("CON", "1") + Message("\xC4rger", "2") + Message("\xE4rger", "3"), "out"));
  EXPECT_EQ(Written(folder_.Path() / "out"),
            (std::set<std::string>{"CON.mbx", "\xC3\x84rger.mbx", "\xC3\xA4rger.mbx"}));
}

// A pipe cannot be read twice: its text is kept in memory instead, and the files are the same.
TEST_F(ConversionTest, AnExportFromAPipeIsConvertedAsOneFromAFile) {
  const std::string text = "preamble\r\n" + Message("Inbox", "1") + Message("Sent", "2") +
                           Message("Inbox", "3") + "last line without an end";
  const std::string input = folder_.WriteFile("export.txt", text);
  fs::create_directories(folder_.Path() / "file");
  fs::create_directories(folder_.Path() / "pipe");
  ASSERT_TRUE(Run(input, Out("file/m.mbx"))) << view_.text;
  const fs::path pipe = folder_.Path() / "export.pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::thread writer([&] { std::ofstream(pipe, std::ios::binary) << text; });
  const bool converted = Run(pipe.string(), Out("pipe/m.mbx"));
  writer.join();
  ASSERT_TRUE(converted) << view_.text;
  static const std::regex boundary("__=_Part_Boundary_\\d{3}_\\d{6}\\.\\d{6}");
  for (const char* name : {"mInbox.mbx", "mSent.mbx"}) {
    EXPECT_EQ(std::regex_replace(ReadBytes(folder_.Path() / "pipe" / name), boundary, "B"),
              std::regex_replace(ReadBytes(folder_.Path() / "file" / name), boundary, "B"))
        << name;
  }
  EXPECT_EQ(CountSeparators(ReadBytes(folder_.Path() / "pipe" / "mInbox.mbx")), 2);
}

}  // namespace
}  // namespace vandrel
