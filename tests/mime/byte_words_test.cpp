// The word tests against the same questions asked byte by byte: every byte value at every place
// of a word, among neighbours of every kind, then random words.
#include "mime/byte_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vandrel::mime {
namespace {

using Bytes = std::array<unsigned char, 8>;

struct Question {
  const char* name;
  std::function<std::uint64_t(std::uint64_t)> marks;
  std::function<bool(unsigned char)> holds;
};

// Each question as the encoder asks it: the 7-bit ones on the word without its high bits.
std::vector<Question> Questions() {
  const auto low = [](std::uint64_t word) { return word & kLowBits; };
  return {
      {"high", [](std::uint64_t w) { return MarkHighBytes(w); },
       [](unsigned c) { return c >= 0x80; }},
      {"below 0x01", [=](std::uint64_t w) { return MarkBelow(low(w), 0x01); },
       [](unsigned c) { return (c & 0x7F) < 0x01; }},
      {"below 0x20", [=](std::uint64_t w) { return MarkBelow(low(w), 0x20); },
       [](unsigned c) { return (c & 0x7F) < 0x20; }},
      {"below 0x80", [=](std::uint64_t w) { return MarkBelow(low(w), 0x80); },
       [](unsigned) { return true; }},
      {"above 0x00", [=](std::uint64_t w) { return MarkAbove(low(w), 0x00); },
       [](unsigned c) { return (c & 0x7F) > 0x00; }},
      {"above 0x7E", [=](std::uint64_t w) { return MarkAbove(low(w), 0x7E); },
       [](unsigned c) { return (c & 0x7F) > 0x7E; }},
      {"above 0x7F", [=](std::uint64_t w) { return MarkAbove(low(w), 0x7F); },
       [](unsigned) { return false; }},
      {"equal '='", [=](std::uint64_t w) { return MarkEqual(low(w), '='); },
       [](unsigned c) { return (c & 0x7F) == '='; }},
      {"equal NUL", [=](std::uint64_t w) { return MarkEqual(low(w), 0); },
       [](unsigned c) { return (c & 0x7F) == 0; }},
  };
}

std::uint64_t ExpectedMarks(const Bytes& bytes, const Question& question) {
  std::uint64_t marks = 0;
  for (int k = 0; k < 8; ++k) {
    if (question.holds(bytes[static_cast<std::size_t>(k)])) marks |= std::uint64_t{0x80} << (8 * k);
  }
  return marks;
}

void ExpectMarks(const Bytes& bytes, const std::vector<Question>& questions) {
  const std::uint64_t word = LoadWord(bytes.data());
  for (const Question& question : questions) {
    ASSERT_EQ(question.marks(word), ExpectedMarks(bytes, question))
        << question.name << " of word " << std::hex << word;
  }
}

TEST(ByteWordsTest, TheFirstByteIsTheLowestWhateverTheMachine) {
  const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 0x80};
  EXPECT_EQ(LoadWord(bytes.data()), 0x8007060504030201u);
}

TEST(ByteWordsTest, MarksEveryByteThatHasThePropertyAndNoOther) {
  const auto questions = Questions();
  const unsigned char neighbours[] = {0x00, 0x01, 0x1F, 0x20, 0x3D, 0x41, 0x7E, 0x7F, 0x80, 0xFF};
  for (unsigned char neighbour : neighbours) {
    for (int place = 0; place < 8; ++place) {
      for (int value = 0; value < 256; ++value) {
        Bytes bytes;
        bytes.fill(neighbour);
        bytes[static_cast<std::size_t>(place)] = static_cast<unsigned char>(value);
        ExpectMarks(bytes, questions);
        if (HasFatalFailure()) return;
      }
    }
  }
  std::mt19937 rng(8);
  for (int n = 0; n < 20000; ++n) {
    Bytes bytes;
    for (auto& b : bytes)
      b = static_cast<unsigned char>(rng());
    ExpectMarks(bytes, questions);
    if (HasFatalFailure()) return;
  }
}

TEST(ByteWordsTest, FindsTheFirstAndLastMarkAmongTheFirstBytes) {
  std::mt19937 rng(9);
  for (int n = 0; n < 5000; ++n) {
    std::uint64_t marks = 0;
    for (int k = 0; k < 8; ++k) {
      if (rng() % 3 == 0) marks |= std::uint64_t{0x80} << (8 * k);
    }
    const int count = static_cast<int>(rng() % 9);
    int first = 8;
    int last = -1;
    for (int k = 0; k < count; ++k) {
      if ((marks >> (8 * k + 7)) & 1) {
        first = std::min(first, k);
        last = k;
      }
    }
    const std::uint64_t kept = FirstBytes(marks, count);
    EXPECT_EQ(FirstMarked(kept), first) << std::hex << marks << " " << count;
    EXPECT_EQ(LastMarked(kept), last) << std::hex << marks << " " << count;
  }
}

TEST(ByteWordsTest, AddsUpTheBytesOfAWord) {
  std::mt19937_64 rng(10);
  const Bytes full = {255, 255, 255, 255, 255, 255, 255, 255};
  EXPECT_EQ(SumOfBytes(LoadWord(full.data())), 8 * 255);
  for (int n = 0; n < 5000; ++n) {
    const std::uint64_t word = rng();
    int sum = 0;
    for (int k = 0; k < 8; ++k)
      sum += static_cast<int>((word >> (8 * k)) & 0xFF);
    EXPECT_EQ(SumOfBytes(word), sum) << std::hex << word;
  }
}

}  // namespace
}  // namespace vandrel::mime
