// Runs on Windows: what its file system refuses, and names beyond the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vandrel
