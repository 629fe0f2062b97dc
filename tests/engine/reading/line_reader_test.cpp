#include "engine/reading/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/reading/input_file.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

using namespace std::string_literals;

using Lines = std::vector<std::string>;

struct ReadResult {
  Lines lines;
  int errorNumber = 0;
};

ReadResult ReadLines(std::FILE* file, std::size_t blockSize) {
  ReadResult result;
  LineReader reader(file, blockSize);
  std::string line;
  while (reader.AppendLine(line)) {
    result.lines.push_back(line);
    line.clear();
  }
  result.errorNumber = reader.ErrorNumber();
  return result;
}

// A file of its own rather than std::tmpfile, which Windows makes in the drive's root folder.
Lines ReadBytes(const std::string& bytes, std::size_t blockSize) {
  TempFolder folder;
  const FilePointer file = OpenInputFile(folder.WriteFile("input.txt", bytes));
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return {};
  ReadResult result = ReadLines(file.get(), blockSize);
  EXPECT_EQ(result.errorNumber, 0);
  return result.lines;
}

// Text-mode reading done the slow, literal way: translate the whole input, then take each
// line in chunks of at most 128 bytes that end at an LF, cutting the line at a NUL.
Lines ReferenceLines(const std::string& raw) {
  std::string text;
  for (std::size_t i = 0; i < raw.size() && raw[i] != '\x1A'; ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text += raw[i];
  }
  Lines lines;
  std::size_t position = 0;
  while (position < text.size()) {
    std::string line;
    for (;;) {
      std::size_t end = std::min(position + 128, text.size());
      if (const auto lineFeed = text.find('\n', position); lineFeed < end) end = lineFeed + 1;
      std::string chunk = text.substr(position, end - position);
      position = end;
      if (const auto nul = chunk.find('\0'); nul != std::string::npos) {
        line += chunk.substr(0, nul);
        break;
      }
      const bool lineEnds = chunk.back() == '\n';
      if (lineEnds) chunk.pop_back();
      line += chunk;
      if (lineEnds || position == text.size()) break;
    }
    lines.push_back(line);
  }
  return lines;
}

constexpr std::size_t kBlockSizes[] = {1, 2, 3, 5, 127, 128, 129, LineReader::kDefaultBlockSize};

std::string X(std::size_t n) {
  return std::string(n, 'x');
}

TEST(LineReaderTest, SplitsLikeTextModeAtEveryBlockSize) {
  const struct {
    const char* name;
    std::string input;
    Lines expected;
  } cases[] = {
      {"empty", "", {}},
      {"one empty line", "\n", {""}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"no line end at the end", "a\nb", {"a", "b"}},
      {"bare CR inside", "a\rb\n", {"a\rb"}},
      {"bare CR at the end", "a\r", {"a\r"}},
      {"CR before CR LF", "a\r\r\n", {"a\r"}},
      {"LF CR", "a\n\rb\n", {"a", "\rb"}},
      {"empty CR LF lines", "\r\n\r\n", {"", ""}},
      {"0x1A mid line",
       "a\x1A"
       "b\nc\n",
       {"a"}},
      {"0x1A at a line start", "a\n\x1A\nb", {"a"}},
      {"CR before 0x1A stays", "a\r\x1A\n", {"a\r"}},
      {"0x1A first",
       "\x1A"
       "abc\n",
       {}},
      {"NUL drops the rest of its chunk", "a\0b\nc\n"s, {"a", "c"}},
      {"NUL first", "\0\nz\n"s, {"", "z"}},
      {"NUL at the end of input", "a\0"s, {"a"}},
      {"two NULs", "a\0b\0c\nd"s, {"a", "d"}},
      {"long line", X(300) + "\n", {X(300)}},
      {"long line without end", X(300), {X(300)}},
      {"127 bytes", X(127) + "\n", {X(127)}},
      {"128 bytes", X(128) + "\n", {X(128)}},
      {"129 bytes", X(129) + "\n", {X(129)}},
      {"128 bytes at the end", X(128), {X(128)}},
      {"NUL at 127", X(127) + "\0yy\nz\n"s, {X(127), "yy", "z"}},
      {"NUL at 128", X(128) + "\0yy\nz\n"s, {X(128), "z"}},
      {"NUL at 129",
       X(128) + "y\0"s + std::string(200, 'w') + "\n",
       {X(128) + "y", std::string(74, 'w')}},
      {"NUL at 255", X(255) + "\0abc\n"s, {X(255), "abc"}},
      // CR LF counts as one byte, so the chunk ends exactly at its LF.
      {"NUL at 126 then CR LF", X(126) + "\0\r\nz\n"s, {X(126), "z"}},
      {"NUL at 127 then CR LF", X(127) + "\0\r\nz"s, {X(127), "", "z"}},
      {"CR LF before a NUL in the next line", X(127) + "\r\n\0q\nz\n"s, {X(127), "", "z"}},
      {"0x1A inside a dropped chunk",
       "a\0b\x1A"
       "c\nd\n"s,
       {"a"}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ReferenceLines(c.input), c.expected) << c.name;
    for (const std::size_t blockSize : kBlockSizes) {
      EXPECT_EQ(ReadBytes(c.input, blockSize), c.expected) << c.name << ", block " << blockSize;
    }
  }
}

// Random mixtures of the bytes that matter, with runs long enough to cross chunk and block
// boundaries anywhere.
TEST(LineReaderTest, AgreesWithTheLiteralModelOnRandomInput) {
  std::mt19937 random(20240601);
  const std::string pieces[] = {"\r", "\n", "\r\n", "\0"s, "b", "\r\r"};
  for (int round = 0; round < 300; ++round) {
    std::string input;
    const int parts = static_cast<int>(random() % 40);
    for (int i = 0; i < parts; ++i) {
      if (random() % 2 == 0) {
        input += X(random() % 300);
      } else {
        input += pieces[random() % std::size(pieces)];
      }
    }
    if (random() % 10 == 0) input.insert(random() % (input.size() + 1), 1, '\x1A');
    const std::size_t blockSize = kBlockSizes[random() % std::size(kBlockSizes)];
    ASSERT_EQ(ReadBytes(input, blockSize), ReferenceLines(input))
        << "round " << round << ", block " << blockSize;
  }
}

TEST(LineReaderTest, AReadErrorEndsTheInputAndIsKept) {
  TempFolder folder;
  std::FILE* file = std::fopen(folder.Path().string().c_str(), "rb");
  if (file == nullptr) GTEST_SKIP() << "this platform refuses to open a folder as a file";
  const ReadResult result = ReadLines(file, LineReader::kDefaultBlockSize);
  std::fclose(file);
  EXPECT_TRUE(result.lines.empty());
  EXPECT_EQ(result.errorNumber, EISDIR);
}

}  // namespace
}  // namespace vandrel
