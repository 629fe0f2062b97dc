#include "mime/quoted_printable_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "codec_test_support.h"

namespace vandrel::mime {
namespace {

using testing::OutputBound;
using testing::RunCodec;

constexpr int kBound = -1;  // capacity: the size the codec asks for

std::string Repeat(std::string_view piece, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    s += piece;
  }
  return s;
}

struct Row {
  std::string input;
  int capacity;
  std::string expected;
};

void ExpectRows(const Row* begin, const Row* end, bool encode) {
  for (const Row* row = begin; row != end; ++row) {
    QuotedPrintableCodec codec;
    const int capacity =
        row->capacity == kBound ? OutputBound(codec, row->input, encode) : row->capacity;
    EXPECT_EQ(RunCodec(codec, row->input, encode, capacity), row->expected)
        << (encode ? "encoding " : "decoding ") << row->input << " at capacity " << capacity;
  }
}

TEST(QuotedPrintableCodecTest, EncodesLongLinesWithSoftBreaks) {
  const Row rows[] = {
      {Repeat("a", 100), kBound, Repeat("a", 75) + "=\r\n" + Repeat("a", 25)},
      // The break goes after the last blank, which ends the line right before "=".
      {Repeat("x", 70) + " " + Repeat("y", 10), kBound,
       Repeat("x", 70) + " =\r\n" + Repeat("y", 10)},
      {"y " + Repeat("x", 74), kBound, "y =\r\n" + Repeat("x", 74)},
      // A blank that opens the line is no break point.
      {" " + Repeat("x", 75), kBound, " " + Repeat("x", 74) + "=\r\n" + "x"},
      // Breaking after the blank would leave 73 letters and "=FF" on the next line, and the
      // "y" would make it 77 characters long: the break goes where the line is full instead.
      {"a " + Repeat("x", 73) + "\xFF" + "y", kBound, "a " + Repeat("x", 73) + "=\r\n=FFy"},
      // The blank is the byte being written, not one before it.
      {Repeat("x", 74) + " \r\n", kBound, Repeat("x", 74) + "=\r\n=20\r\n"},
      {Repeat("\xFF", 26), kBound, Repeat("=FF", 25) + "=\r\n=FF"},
      // CR LF end the line and start the count again.
      {Repeat("x", 70) + "\r\n" + Repeat("x", 70), kBound,
       Repeat("x", 70) + "\r\n" + Repeat("x", 70)},
  };
  ExpectRows(std::begin(rows), std::end(rows), true);
}

TEST(QuotedPrintableCodecTest, EscapesWhatCannotStandAsItIs) {
  const Row rows[] = {
      {"", kBound, ""},
      {"a=b", kBound, "a=3Db"},
      {"=", kBound, "=3D"},
      {std::string("\0\x7F\x80\xAB", 4), kBound, "=00=7F=80=AB"},
      // Blanks before CR and at the end; between words and before a lone LF they stay.
      {"a \r\nb", kBound, "a=20\r\nb"},
      {"a\t\r\nb", kBound, "a=09\r\nb"},
      {"a ", kBound, "a=20"},
      {"a\t", kBound, "a=09"},
      {"a  b", kBound, "a  b"},
      {"a \nb", kBound, "a \nb"},
      // A full stop alone on a line between CR LF pairs.
      {"a\r\n.\r\nb", kBound, "a\r\n=2E\r\nb"},
      {".\r\nb", kBound, ".\r\nb"},
      {"a\r\n.", kBound, "a\r\n."},
      {"a\r\n..\r\n", kBound, "a\r\n..\r\n"},
      {"a\n.\r\n", kBound, "a\n.\r\n"},
      {"a\r\n.\rb", kBound, "a\r\n.\rb"},
  };
  ExpectRows(std::begin(rows), std::end(rows), true);
}

TEST(QuotedPrintableCodecTest, StopsAtTheCapacity) {
  const Row rows[] = {
      // An escape that does not fit ends the output; the "b" is not written after a gap.
      {"a=b", 3, "a"},
      // The soft break takes the last three bytes; the letter after it does not fit.
      {Repeat("a", 76), 78, Repeat("a", 75) + "=\r\n"},
      // Too little room for the soft break: the letter is written without it.
      {Repeat("a", 76), 77, Repeat("a", 76)},
  };
  ExpectRows(std::begin(rows), std::end(rows), true);
}

TEST(QuotedPrintableCodecTest, Decodes) {
  const Row rows[] = {
      {"", kBound, ""},
      {"=41", kBound, "A"},
      {"=41=42=43", kBound, "ABC"},
      {"=3D", kBound, "="},
      {"\xE9=E9", kBound, "\xE9\xE9"},
      {"=20\r\n", kBound, " \r\n"},
      // Only the first digit must be an upper-case hex digit; the second is taken as it comes.
      {"=4a", kBound, "J"},
      {"=4!", kBound, "A"},
      {"=4G", kBound, "@"},
      {"=a1", kBound, "a1"},
      {"=XY", kBound, "XY"},
      {"==41", kBound, "=41"},
      // Soft breaks vanish; "=" before a lone CR or LF only drops the "=".
      {"a=\r\nb", kBound, "ab"},
      {"a=\nb", kBound, "a\nb"},
      {"=\rx", kBound, "\rx"},
      // Fewer than two bytes after "=" end decoding.
      {"a=", kBound, "a"},
      {"a=4", kBound, "a"},
      {"a=\n", kBound, "a"},
      {"abc=41", 3, "abc"},
      {"abc=41", 4, "abcA"},
  };
  ExpectRows(std::begin(rows), std::end(rows), false);
}

}  // namespace
}  // namespace vandrel::mime
