// Write failures that POSIX systems make: a full device, a file-size limit, a read-only system
// folder.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "job_run.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST(ConversionJobPosixTest, OutputsTheSystemRefusesEndTheRunWithAnErrorLine) {
  JobRun run;
  const std::string input = run.Folder().WriteFile("export.txt", OneMessageIn("Inbox"));
  fs::create_symlink("/dev/full", run.Folder().Path() / "fullInbox.mbx");
  EXPECT_FALSE(run.Run(input, run.Path("full.mbx")));
  EXPECT_TRUE(run.Log().ends_with("Error: Beim Zugriff auf " + run.Path("fullInbox.mbx") +
                                  " wurde ein voller Datenträger gemeldet."))
      << run.Log();
  EXPECT_FALSE(run.Run(input, "/sys/m.mbx"));
  EXPECT_TRUE(run.Log().ends_with("Error: Zugriff auf /sys/m.mbx wurde verwehrt.")) << run.Log();
  EXPECT_EQ(run.LastStatus(), "failed: see the log");
}

TEST(ConversionJobPosixTest, AWriteBeyondTheFileSizeLimitIsAnError) {
  std::string big;
  while (big.size() < 300000)
    big += "a line of text that fills the file\r\n";
  JobRun run;
  const std::string input = run.Folder().WriteFile("export.txt", OneMessageIn("Inbox") + big);
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit limited = old;
  limited.rlim_cur = 100000;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool finished = run.Run(input, run.Path("m.mbx"));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(finished);
  EXPECT_TRUE(run.Log().ends_with("\r\nError: Ein unbekannter Fehler ist beim Zugriff auf " +
                                  run.Path("mInbox.mbx") + " aufgetreten."))
      << run.Log();
}

// Device names and letters' case beyond ASCII mean nothing to POSIX file systems: the names
// stay as the Linux build has always written them.
TEST(ConversionJobPosixTest, WindowsDeviceNamesAndNonAsciiCaseAreLeftAlone) {
  JobRun run;
  std::string exported;
  for (const char* folder : {"CON", "\xC4rger", "\xE4rger"})
    exported += OneMessageIn(folder);
  const std::string input = run.Folder().WriteFile("export.txt", exported);
  fs::create_directories(run.Folder().Path() / "out");
  ASSERT_TRUE(run.Run(input, run.Path("out")));
  std::set<std::string> written;
  for (const auto& entry : fs::directory_iterator(run.Folder().Path() / "out"))
    written.insert(entry.path().filename().string());
  EXPECT_EQ(written, (std::set<std::string>{"CON.mbx", "\xC3\x84rger.mbx", "\xC3\xA4rger.mbx"}));
}

}  // namespace
}  // namespace vandrel
