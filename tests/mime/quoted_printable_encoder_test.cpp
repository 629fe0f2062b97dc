// The quoted-printable encoder's shortcuts (eight plain bytes at a time, line ends and soft
// breaks inside the run, the break point looked up in the output) against the byte-at-a-time
// reference, on the inputs where those shortcuts have their corners.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "codec_inputs.h"
#include "codec_test_support.h"
#include "mime/quoted_printable_codec.h"
#include "reference_codecs.h"

namespace vandrel::mime {
namespace {

using testing::RunCodec;

std::string Repeat(std::string_view piece, int count) {
  std::string s;
  for (int i = 0; i < count; ++i)
    s += piece;
  return s;
}

std::string X(int count) {
  return std::string(static_cast<std::size_t>(count), 'x');
}

// Each row is a corner; the test also puts letters in front of it, so it meets the corner at
// every place of an eight-byte word and at every column near the end of a line.
std::vector<std::string> Corners() {
  using namespace std::string_literals;
  return {
      // Lines of 74 to 77 characters, ended in every way, with more text after them.
      X(74) + "\r\n" + X(3),
      X(75) + "\r\n" + X(3),
      X(76) + "\r\n" + X(3),
      X(77) + "\r\n" + X(3),
      X(75),
      X(76),
      X(77),
      X(75) + "\n",
      X(76) + "\r",
      X(151) + "\r\n",
      // Escapes that reach column 76 and beyond.
      X(72) + "\xE9y",
      X(73) + "\xE9y",
      X(74) + "\xE9y",
      X(72) + "=",
      X(73) + "==",
      X(74) + "=",
      Repeat("\xFF", 30),
      Repeat("a\xE4", 60),
      "\x7F\x80\xFF=\x01"s,
      std::string("a\0b\0\0c", 6),
      // Blanks before CR, LF and the end, and blanks where the line is full.
      "abc \r\ndef",
      "abc\t\r\ndef",
      "abc \rdef",
      "abc \ndef",
      "abc ",
      "abc\t",
      "abc  \r\n",
      X(74) + " \r\n",
      X(75) + " \r\n",
      X(73) + "  \r\n",
      X(75) + " ",
      X(74) + "\t" + X(5),
      X(75) + " x",
      " " + X(80),
      "\t" + X(80),
      Repeat(" ", 80) + "\r\n",
      Repeat("\t ", 50),
      // Break points: after the last blank, unless the moved text and the next byte no longer fit.
      X(70) + " " + X(10),
      "y " + X(74),
      "a " + X(73) + "\xFFy",
      "a " + X(72) + "\xFFy",
      "a " + X(71) + "==y",
      Repeat("word ", 40),
      Repeat("w\xF6rt ", 40),
      Repeat("ab\t", 40),
      X(10) + " " + X(64) + "\xE4\xE4" + X(10),
      X(60) + " " + Repeat("\xE4", 10),
      // Line ends alone and in rows.
      "\r",
      "\n",
      "\r\r\n",
      "\n\r",
      Repeat("\n", 20),
      Repeat("\r\n", 20),
      "a\rb\nc\r\nd",
      // Full stops alone on a line, and nearly so.
      ".",
      "\r\n.\r\n",
      ".\r\n",
      "\r\n.",
      "\r\n..\r\n",
      "\r\n.\n",
      "\r\n. \r\n",
      "\n.\r\n",
      "\r\n.\r\n.\r\n.\r\n",
      X(80) + "\r\n.\r\n" + X(80),
      X(74) + "\r\n.\r\nx",
      // Lines that an mbox file would quote: nothing to do with quoted-printable.
      "From the desk\r\nFrom here\r\n>From there\r\n",
  };
}

// What the codec writes, given plenty of room, must be what the reference writes.
void ExpectLikeReference(const std::string& input, int capacity) {
  QuotedPrintableCodec codec;
  const std::string actual = RunCodec(codec, input, true, capacity);
  ASSERT_EQ(actual, reference::QuotedPrintableEncode(input, capacity))
      << "input of " << input.size() << " bytes at capacity " << capacity << ": "
      << ::testing::PrintToString(input);
}

int Ample(const std::string& input) {
  return 4 * static_cast<int>(input.size()) + 200;
}

TEST(QuotedPrintableEncoderTest, MatchesTheReferenceAtEveryCorner) {
  for (const std::string& corner : Corners()) {
    for (int lead = 0; lead <= 80; ++lead) {
      const std::string input = X(lead) + corner;
      ExpectLikeReference(input, Ample(input));
      ExpectLikeReference(input + "tail", Ample(input));
      if (HasFatalFailure()) return;
    }
  }
}

// Near the end of the buffer the run hands over to the exact rules; every capacity must agree.
TEST(QuotedPrintableEncoderTest, MatchesTheReferenceAtEveryCapacity) {
  for (const std::string& corner : Corners()) {
    for (int lead : {0, 5, 63, 70}) {
      const std::string input = X(lead) + corner + "\r\n" + corner;
      QuotedPrintableCodec codec;
      codec.SetInput(input.data(), static_cast<int>(input.size()), true);
      const int bound = codec.EncodedLength();
      for (int capacity = 0; capacity <= bound + 3; ++capacity) {
        ExpectLikeReference(input, capacity);
        if (HasFatalFailure()) return;
      }
    }
  }
}

// Random texts made of the pieces above and of runs of letters up to a line and more long.
TEST(QuotedPrintableEncoderTest, MatchesTheReferenceOnRandomTextsOfCorners) {
  static const char* const kPieces[] = {" ",    "\t", "\r\n", "\r",        "\n",    ".",     "=",
                                        "\xE4", "\0", "\x7F", "\r\n.\r\n", " \r\n", "\t\r\n"};
  std::mt19937 rng(20240613);
  for (int n = 0; n < 3000; ++n) {
    std::string input;
    const std::size_t size = rng() % 1500;
    while (input.size() < size) {
      if (rng() % 3 == 0) {
        input += X(static_cast<int>(rng() % 90));
      } else {
        const char* piece = kPieces[rng() % std::size(kPieces)];
        input.append(piece, piece[0] == '\0' ? 1 : std::string_view(piece).size());
      }
    }
    ExpectLikeReference(input, Ample(input));
    ExpectLikeReference(input, static_cast<int>(rng() % static_cast<unsigned>(Ample(input))));
    if (HasFatalFailure()) return;
  }
}

// The size asked for decides which attached files a converted message keeps, so it must not
// change with the encoder; it must also hold what the encoder writes.
TEST(QuotedPrintableEncoderTest, TheSizeAskedForIsTheEstimateAndSuffices) {
  std::mt19937 rng(5);
  std::vector<std::string> inputs = Corners();
  // Letters and digits only, long enough that every byte of a word counts 255 of them and more.
  inputs.push_back(Repeat("Zz09", 600));
  inputs.push_back(X(8 * 255 + 1) + "\r\n" + X(8 * 256));
  for (testing::InputShape shape : testing::AllShapes()) {
    for (int n = 0; n < 40; ++n)
      inputs.push_back(testing::MakeInput(shape, static_cast<int>(rng() % 5000), rng));
  }
  for (const std::string& input : inputs) {
    QuotedPrintableCodec codec;
    codec.SetInput(input.data(), static_cast<int>(input.size()), true);
    const int bound = codec.EncodedLength();
    ASSERT_EQ(bound, reference::QuotedPrintableEncodedLength(input)) << input.size();
    ASSERT_LE(reference::QuotedPrintableEncode(input, Ample(input)).size(),
              static_cast<std::size_t>(bound));
  }
}

}  // namespace
}  // namespace vandrel::mime
