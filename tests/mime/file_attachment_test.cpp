#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "mime/mime_part.h"
#include "special_files.h"

namespace vandrel::mime {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class FileAttachmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vandrel-attach-" + std::to_string(std::random_device()()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    // A backslash is part of the name on POSIX systems and separates folders on Windows.
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(FileAttachmentTest, ReadsEveryByteWhateverTheSize) {
  for (std::size_t size : {0u, 1u, 511u, 512u, 513u, 1024u, 65535u, 65536u, 65537u, 200000u}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<char>(i * 7 + (i % 13 == 0 ? 0 : 1));
    if (size > 4) bytes.replace(1, 4, "\r\n\0\r"s);
    const std::string path = Write("data.bin", bytes);
    MimePart part;
    ASSERT_TRUE(part.ReadFile(path)) << size;
    EXPECT_EQ(part.Content(), bytes) << size;
    EXPECT_EQ(part.HasContent(), size > 0) << size;
    EXPECT_EQ(part.GetName(), path.substr(path.find_last_of('\\') + 1))
        << "the part is named after the last backslash, or by the whole path";
  }
}

TEST_F(FileAttachmentTest, NamesThePartAfterTheLastBackslash) {
  const std::string path = Write("mail\\att\\Report.PDF", "%PDF");
  MimePart part;
  ASSERT_TRUE(part.ReadFile(path));
  EXPECT_EQ(part.GetField("Content-Type")->value, "application/pdf; name=\"Report.PDF\"");

  MimePart typed;
  typed.SetFieldValue("Content-Type", "image/gif");
  ASSERT_TRUE(typed.ReadFile(path));
  EXPECT_EQ(typed.GetField("Content-Type")->value, "image/gif; name=\"Report.PDF\"");

  MimePart archive;
  ASSERT_TRUE(archive.ReadFile(Write("x\\archive.tar.gz", "gz")));
  EXPECT_EQ(archive.GetField("Content-Type")->value,
            "application/octet-stream; name=\"archive.tar.gz\"");
}

TEST_F(FileAttachmentTest, AFileBeyondThirtyTwoBitSizesIsAFailureNotAnEmptyPart) {
  // Sparse: no disk space is used, and the size check refuses it before anything is read.
  const std::string path = Write("huge.bin", "");
  fs::resize_file(path, std::uintmax_t{3} << 30);
  MimePart part;
  EXPECT_FALSE(part.ReadFile(path));
  EXPECT_FALSE(part.HasContent());
  EXPECT_EQ(part.GetField("Content-Type"), nullptr);
}

TEST_F(FileAttachmentTest, APartFoundElsewhereKeepsTheNameItWasGiven) {
  const std::string path = Write("local copy.jpg", "\xFF\xD8");
  MimePart part;
  part.SetFieldValue("Content-Type", "image/jpeg");
  ASSERT_TRUE(part.ReadFile(path, "Urlaub.jpg"));
  EXPECT_EQ(part.GetField("Content-Type")->value, "image/jpeg; name=\"Urlaub.jpg\"");
  EXPECT_EQ(part.Content(), "\xFF\xD8");
}

TEST_F(FileAttachmentTest, WhatCannotBeReadLeavesThePartUnchanged) {
  const SpecialFiles special(dir_);
  std::vector<std::string> paths = {(dir_ / "missing").string(), dir_.string(), ""s};
  paths.insert(paths.end(), special.Paths().begin(), special.Paths().end());
  for (const std::string& path : paths) {
    MimePart part;
    part.SetContent("kept", 0);
    part.SetFieldValue("Content-Type", "text/plain");
    // A pipe without a writer must be refused at once: waiting for one would hang here, and
    // the test would fail by its time limit.
    EXPECT_FALSE(part.ReadFile(path)) << path;
    EXPECT_EQ(part.Content(), "kept") << path;
    EXPECT_EQ(part.GetField("Content-Type")->value, "text/plain") << path;
  }
}

}  // namespace
}  // namespace vandrel::mime
