// What Windows does to a run's files: one held open by another program, a folder where a file
// should go, names it refuses or takes for one another.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "conversion_fixture.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST_F(ConversionTest, FilesWindowsWillNotReplaceEndTheRunWithAnErrorLine) {
  const std::string input = folder_.WriteFile("export.txt", Message("Inbox", "1"));
  // Another program holds the file open without sharing.
  const std::wstring held = (folder_.Path() / "heldInbox.mbx").wstring();
  const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(Run(input, Out("held.mbx")));
  ::CloseHandle(holder);
  // Refused as a sharing violation or as access denied: the system decides which.
  EXPECT_TRUE(
      view_.text.ends_with("Error: A sharing violation occurred while accessing " +
                           Out("heldInbox.mbx") + ".") ||
      view_.text.ends_with("Error: Access to " + Out("heldInbox.mbx") + " was denied."))
      << view_.text;
  // A folder where the file should go cannot be replaced by it.
  fs::create_directories(folder_.Path() / "dirInbox.mbx");
  EXPECT_FALSE(Run(input, Out("dir.mbx")));
  EXPECT_TRUE(
      view_.text.ends_with("Error: Access to " + Out("dirInbox.mbx") + " was denied."))
      << view_.text;
  EXPECT_EQ(status_.texts.back(), "failed: see the log");
  // Nothing half-written is left.
  EXPECT_EQ(Written(folder_.Path()), (std::set<std::string>{"dirInbox.mbx", "heldInbox.mbx"}));
}

// Output names are the Linux build's, with Windows' own rules on top: no device names, and names
// that differ only in the case of any letter are one file.
TEST_F(ConversionTest, FolderNamesWindowsRefusesOrTakesForOneAnotherStayApart) {
  fs::create_directories(folder_.Path() / "out");
  std::string exported;
  for (const char* folder : {"CON", "nul", "\xC4rger", "\xE4rger", "\xC9t\xE9", "Inbox"})
    exported += Message(folder, "s");
  ASSERT_TRUE(RunOn(exported, "out"));
  std::set<std::u8string> written;
  for (const auto& entry : fs::directory_iterator(folder_.Path() / "out"))
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
