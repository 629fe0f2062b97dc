#include "mime/base64_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "codec_test_support.h"

namespace vandrel::mime {
namespace {

using testing::OutputBound;
using testing::RunCodec;

constexpr int kBound = -1;  // capacity: the size the codec asks for

std::string Bytes(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    s += static_cast<char>(i);
  }
  return s;
}

// The encoding of bytes 0..56: one full line.
const std::string kLine57 =
    "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4";

// The encoding of bytes 57..113.
const std::string kSecondLine =
    "OTo7PD0+P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3Bx";

struct Row {
  std::string input;
  bool lineBreaks;
  int capacity;
  std::string expected;
};

TEST(Base64CodecTest, Encodes) {
  const Row rows[] = {
      {"", true, kBound, ""},
      {"", false, kBound, ""},
      {"M", true, kBound, "TQ==\r\n"},
      {"Ma", true, kBound, "TWE=\r\n"},
      {"Man", true, kBound, "TWFu\r\n"},
      {"Man", false, kBound, "TWFu"},
      {"\xFF\xFE\xFD", false, kBound, "//79"},
      {Bytes(57), true, kBound, kLine57 + "\r\n"},
      {Bytes(58), true, kBound, kLine57 + "\r\nOQ==\r\n"},
      {Bytes(58), false, kBound, kLine57 + "OQ=="},
      {Bytes(114), true, kBound, kLine57 + "\r\n" + kSecondLine + "\r\n"},
      // Short buffers: pads are all or nothing, a line end needs both of its bytes.
      {"Man", true, 3, "TWF"},
      {"Ma", true, 3, "TWE"},
      {"M", true, 3, "TQ"},
      {"M", true, 4, "TQ=="},
      {"M", true, 5, "TQ=="},
      {Bytes(60), true, 77, kLine57 + "O"},
  };
  for (const Row& row : rows) {
    Base64Codec codec(row.lineBreaks);
    const int capacity =
        row.capacity == kBound ? OutputBound(codec, row.input, true) : row.capacity;
    EXPECT_EQ(RunCodec(codec, row.input, true, capacity), row.expected)
        << row.input.size() << " bytes, capacity " << capacity;
  }
}

TEST(Base64CodecTest, Decodes) {
  const struct {
    std::string input;
    int capacity;
    std::string expected;
  } rows[] = {
      {"", kBound, ""},
      {"TWFu", kBound, "Man"},
      {"//79", kBound, "\xFF\xFE\xFD"},
      {"TWE=", kBound, "Ma"},
      {"TQ==", kBound, "M"},
      // Final groups of three and two characters still give their bytes.
      {"TWE", kBound, "Ma"},
      {"TQ", kBound, "M"},
      {"T", kBound, ""},
      // CR and LF are skipped anywhere, also inside a group.
      {"TW\r\nFu", kBound, "Man"},
      {"\r\nT\nW\rF\r\nu\r\n", kBound, "Man"},
      {kLine57 + "\r\nOQ==\r\n", kBound, Bytes(58)},
      // Any other byte ends decoding: the pad, blanks, punctuation, bytes above 0x7F, NUL.
      {"TWFuTQ==TWFu", kBound, "ManM"},
      {"TWFu TWFu", kBound, "Man"},
      {"TWFu\tTWFu", kBound, "Man"},
      {"TWFu-TWFu", kBound, "Man"},
      {"TWFu\xC3TWFu", kBound, "Man"},
      {std::string("TWFu\0TWFu", 9), kBound, "Man"},
      {"TWFuTWFu", 4, "ManM"},
      {"TWFu", 2, "Ma"},
  };
  for (const auto& row : rows) {
    Base64Codec codec(true);
    const int capacity =
        row.capacity == kBound ? OutputBound(codec, row.input, false) : row.capacity;
    EXPECT_EQ(RunCodec(codec, row.input, false, capacity), row.expected) << row.input;
  }
}

}  // namespace
}  // namespace vandrel::mime
