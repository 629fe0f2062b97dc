// Runs on Windows: what its file system refuses, and names beyond the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "job_run.h"

namespace vandrel {
namespace {

TEST(ConversionJobWin32Test, OutputsTheSystemRefusesEndTheRunWithAnErrorLine) {
  JobRun run;
  const std::string input = run.Folder().WriteFile("export.txt", OneMessageIn("Inbox"));
  // Another program holds the file open without sharing.
  const std::wstring held = (run.Folder().Path() / "heldInbox.mbx").wstring();
  const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(run.Run(input, run.Path("held.mbx")));
  ::CloseHandle(holder);
  EXPECT_TRUE(run.Log().ends_with("Error: Eine Zugriffsverletzung ist während des Zugriffs auf " +
                                  run.Path("heldInbox.mbx") + " aufgetreten."))
      << run.Log();
  // A folder where the file should go cannot be written as one.
  std::filesystem::create_directories(run.Folder().Path() / "dirInbox.mbx");
  EXPECT_FALSE(run.Run(input, run.Path("dir.mbx")));
  EXPECT_TRUE(
      run.Log().ends_with("Error: Zugriff auf " + run.Path("dirInbox.mbx") + " wurde verwehrt."))
      << run.Log();
  EXPECT_EQ(run.LastStatus(), "failed: see the log");
}

// Output names are the Linux build's, with Windows' own rules on top: no device names, and names
// that differ only in the case of any letter are one file.
TEST(ConversionJobWin32Test, FolderNamesWindowsRefusesOrTakesForOneAnotherStayApart) {
  JobRun run;
  std::string exported;
  for (const char* folder : {"CON", "nul", "\xC4rger", "\xE4rger", "\xC9t\xE9", "Inbox"})
    exported += OneMessageIn(folder);
  const std::string input = run.Folder().WriteFile("export.txt", exported);
  std::filesystem::create_directories(run.Folder().Path() / "out");
  ASSERT_TRUE(run.Run(input, run.Path("out")));
  std::set<std::u8string> written;
  for (const auto& entry : std::filesystem::directory_iterator(run.Folder().Path() / "out"))
    written.insert(entry.path().filename().u8string());
  // Whichever of the two comes second in the run gets "-2".
  const bool upperFirst = written.count(u8"\u00C4rger.mbx") != 0;
  EXPECT_EQ(written,
            (std::set<std::u8string>{u8"CON_.mbx", u8"nul_.mbx",
                                     upperFirst ? u8"\u00C4rger.mbx" : u8"\u00E4rger.mbx",
                                     upperFirst ? u8"\u00E4rger-2.mbx" : u8"\u00C4rger-2.mbx",
                                     u8"\u00C9t\u00E9.mbx", u8"Inbox.mbx"}));
}

}  // namespace
}  // namespace vandrel
