#include "engine/reading/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
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
  reader.ChooseLineEnds();
  std::string_view line;
  while (reader.NextLine(line))
    result.lines.emplace_back(line);
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

// Line splitting done the slow, literal way: every CR LF becomes LF, then the text is cut at
// each LF.
Lines ReferenceLines(const std::string& raw) {
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text += raw[i];
  }
  Lines lines;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t lineFeed = text.find('\n', position);
    const std::size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
    lines.push_back(text.substr(position, end - position));
    position = end + 1;
  }
  return lines;
}

// Old Mac text: CR, LF and CR LF each end a line.
Lines ReferenceLinesAtCrOrLf(const std::string& raw) {
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\r' && raw[i] != '\n') {
      line += raw[i];
      continue;
    }
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    lines.push_back(std::exchange(line, {}));
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The reader's choice: CR ends lines when the input's start holds a CR and no LF.
bool CrEndsLines(const std::string& raw) {
  const std::string start = raw.substr(0, LineReader::kLineEndsLookAhead);
  return start.find('\n') == std::string::npos && start.find('\r') != std::string::npos;
}

constexpr std::size_t kBlockSizes[] = {1, 2, 3, 5, 127, 128, 129, LineReader::kDefaultBlockSize};

std::string X(std::size_t n) {
  return std::string(n, 'x');
}

TEST(LineReaderTest, SplitsAtLineEndsAtEveryBlockSize) {
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
      {"bare CR at the end", "x\na\r", {"x", "a\r"}},
      // Text with a CR and no LF at all is old Mac text, read otherwise (see below).
      {"CR before CR LF", "a\r\r\n", {"a\r"}},
      {"LF CR", "a\n\rb\n", {"a", "\rb"}},
      {"empty CR LF lines", "\r\n\r\n", {"", ""}},
      // Neither 0x1A nor NUL ends anything: every byte of the export is kept.
      {"0x1A mid line",
       "a\x1A"
       "b\nc\n",
       {"a\x1A"
        "b",
        "c"}},
      {"0x1A alone on a line", "a\n\x1A\nb", {"a", "\x1A", "b"}},
      {"CR before 0x1A stays", "a\r\x1A\n", {"a\r\x1A"}},
      {"NUL mid line", "a\0b\nc\n"s, {"a\0b"s, "c"}},
      {"NUL first", "\0\nz\n"s, {"\0"s, "z"}},
      {"NUL at the end of input", "a\0"s, {"a\0"s}},
      {"NUL and CR LF", "a\0\r\n\0"s, {"a\0"s, "\0"s}},
      {"NUL far into a long line",
       X(300) + "\0"s + X(300) + "\r\nz",
       {X(300) + "\0"s + X(300), "z"}},
      {"long line", X(300) + "\n", {X(300)}},
      {"long line without end", X(300), {X(300)}},
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
    // Now and then old Mac text.
    if (random() % 4 == 0) std::replace(input.begin(), input.end(), '\n', '\r');
    const std::size_t blockSize = kBlockSizes[random() % std::size(kBlockSizes)];
    ASSERT_EQ(ReadBytes(input, blockSize),
              CrEndsLines(input) ? ReferenceLinesAtCrOrLf(input) : ReferenceLines(input))
        << "round " << round << ", block " << blockSize;
  }
}

// Past its start, old Mac text may still hold LF and CR LF line ends, and a CR LF may be split
// between two blocks.
TEST(LineReaderTest, OldMacTextEndsLinesAtCrLfAndCrLfAlike) {
  std::string start;
  while (start.size() < LineReader::kLineEndsLookAhead)
    start += "line\r";
  const std::string tail = "a\r\nb\nc\r\r\nd\r" + X(300) + "\r\n\n\re";
  const std::string input = start + tail;
  for (const std::size_t blockSize :
       {std::size_t{2}, std::size_t{3}, std::size_t{127}, LineReader::kDefaultBlockSize}) {
    ASSERT_EQ(ReadBytes(input, blockSize), ReferenceLinesAtCrOrLf(input)) << blockSize;
  }
  std::string lines = tail;
  ToExportLines(lines, true);
  EXPECT_EQ(lines, "a\r\nb\r\nc\r\n\r\nd\r\n" + X(300) + "\r\n\r\n\r\ne\r\n");
}

// Where each line starts, and the bytes from there to the next start read again as lines:
// they give the line back, with CR LF, whatever the bytes and the block size. The bytes given
// with Prepend count as the input's first.
TEST(LineReaderTest, OffsetsLeadBackToTheLines) {
  std::mt19937 random(20261207);
  const std::string pieces[] = {"\r", "\n", "\r\n", "\0"s, "b", "\r\r", "From "};
  for (int round = 0; round < 300; ++round) {
    std::string input;
    const int parts = static_cast<int>(random() % 30);
    for (int i = 0; i < parts; ++i) {
      input += random() % 2 == 0 ? X(random() % 200) : pieces[random() % std::size(pieces)];
    }
    if (random() % 4 == 0) std::replace(input.begin(), input.end(), '\n', '\r');
    const std::size_t prepended = std::min<std::size_t>(input.size(), random() % 4);
    TempFolder folder;
    const FilePointer file = OpenInputFile(folder.WriteFile("input.txt", input.substr(prepended)));
    ASSERT_NE(file, nullptr);
    const std::size_t blockSize = kBlockSizes[random() % std::size(kBlockSizes)];
    LineReader reader(file.get(), blockSize);
    reader.Prepend(std::string_view(input).substr(0, prepended));
    ASSERT_EQ(reader.ChooseLineEnds(), CrEndsLines(input)) << "round " << round;
    std::string_view line;
    for (std::uint64_t start = reader.Offset(); reader.NextLine(line);) {
      std::string again = input.substr(start, reader.Offset() - start);
      ToExportLines(again, reader.CrEndsLines());
      ASSERT_EQ(again, std::string(line) + "\r\n") << "round " << round << ", at " << start;
      start = reader.Offset();
    }
    EXPECT_EQ(reader.Offset(), input.size()) << "round " << round;
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
