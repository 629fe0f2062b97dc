#include "engine/reading/export_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// The same text, read from a file (from a place within it) and from memory.
TEST(ExportTextTest, ReadsMessagesFromTheFileOrFromMemoryAlike) {
  TempFolder folder;
  const std::string text = "From a\r\nline\nbare\rcr\r\r\nFrom b\nlast";
  const std::string path = folder.WriteFile("export.txt", "BOM" + text);
  ExportText inFile(OpenInputFile(path), 3);
  ExportText inMemory(text);
  const struct {
    MessageSpan span;
    std::string expected;
  } cases[] = {
      {{0, 23}, "From a\r\nline\r\nbare\rcr\r\r\n"},
      {{23, 11}, "From b\r\nlast\r\n"},
      {{30, 4}, "last\r\n"},
      {{0, 0}, ""},
  };
  for (const auto& c : cases) {
    MessageText fromFile;
    MessageText fromMemory;
    ASSERT_TRUE(inFile.Read(c.span, fromFile)) << c.span.offset;
    ASSERT_TRUE(inMemory.Read(c.span, fromMemory)) << c.span.offset;
    EXPECT_EQ(fromFile, c.expected);
    EXPECT_EQ(fromMemory, c.expected);
  }
  MessageText beyond;
  EXPECT_FALSE(inFile.Read({30, 5}, beyond));
  EXPECT_FALSE(inMemory.Read({30, 5}, beyond));
}

TEST(ExportTextTest, AFileWrittenToSinceItWasReadIsNotTakenForIt) {
  TempFolder folder;
  const std::string path = folder.WriteFile("export.txt", "From a\r\nx\r\n");
  ExportText text(OpenInputFile(path), 0);
  MessageText message;
  ASSERT_TRUE(text.Read({0, 11}, message));
  EXPECT_TRUE(text.Unchanged());
  std::ofstream(path, std::ios::binary | std::ios::app) << "more";
#ifdef _WIN32
  // Held without sharing: the write never happened, and the text stands.
  EXPECT_TRUE(text.Read({0, 11}, message));
  EXPECT_EQ(message, "From a\r\nx\r\n");
  EXPECT_EQ(fs::file_size(Utf8Path(path)), 11u);
  EXPECT_TRUE(text.Unchanged());
#else
  EXPECT_FALSE(text.Unchanged());
  // Cut short: the message is no longer there, which is no read error of the system's.
  fs::resize_file(path, 5);
  EXPECT_FALSE(text.Read({0, 11}, message));
  EXPECT_EQ(text.ErrorNumber(), 0);
#endif
}

#ifndef _WIN32
// Places past 4 GB, in a sparse file that takes no room on the disk.
TEST(ExportTextTest, ReadsPastFourGigabytes) {
  TempFolder folder;
  const std::string path = folder.WriteFile("export.txt", "");
  constexpr std::uint64_t kFar = (std::uint64_t{1} << 32) + 1000;
  fs::resize_file(path, kFar);
  { std::ofstream(path, std::ios::binary | std::ios::app) << "From far\r\n"; }
  ExportText text(OpenInputFile(path), 0);
  MessageText message;
  ASSERT_TRUE(text.Read({kFar, 10}, message));
  EXPECT_EQ(message, "From far\r\n");
}
#endif

}  // namespace
}  // namespace vandrel
