// The fast codecs against the byte-at-a-time rules, and the properties callers rely on: the size
// bounds always suffice, nothing is written past the capacity, encodings decode back.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "codec_inputs.h"
#include "codec_test_support.h"

namespace vandrel::mime::testing {
namespace {

constexpr int kMaxSize = 3000;

// Where two outputs part, for a failure message that does not print kilobytes.
std::string Difference(const std::string& actual, const std::string& expected) {
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
    ++at;
  }
  std::ostringstream text;
  text << "sizes " << actual.size() << " and " << expected.size() << ", first difference at " << at;
  return text.str();
}

// An input to encode, or one to decode: half of those are the codec's own encodings (where the
// fast paths do most of the work), the rest raw inputs of every shape.
std::string MakeCodecInput(CodecKind kind, bool encode, InputShape shape, int size,
                           std::mt19937& rng) {
  std::string input = MakeInput(shape, size, rng);
  if (encode || rng() % 2 == 0) return input;
  return EncodeAll(kind, input);
}

class TransferCodecPropertyTest : public ::testing::TestWithParam<CodecKind> {
 protected:
  // Compares one call with the reference; false (and a failure) when they differ.
  bool MatchesReference(std::string_view input, bool encode, int capacity, InputShape shape) {
    auto codec = MakeCodec(GetParam());
    const std::string actual = RunCodec(*codec, input, encode, capacity);
    const std::string expected = ReferenceOutput(GetParam(), input, encode, capacity);
    if (actual == expected && !HasFailure()) return true;
    ADD_FAILURE() << (encode ? "encoding " : "decoding ") << ShapeName(shape) << " of "
                  << input.size() << " bytes at capacity " << capacity << ": "
                  << Difference(actual, expected);
    return false;
  }

  std::mt19937 rng_{20240611};
};

TEST_P(TransferCodecPropertyTest, MatchesTheReferenceOnRandomInputs) {
  for (bool encode : {true, false}) {
    for (InputShape shape : AllShapes()) {
      for (int n = 0; n < 150; ++n) {
        const std::string input =
            MakeCodecInput(GetParam(), encode, shape, static_cast<int>(rng_() % kMaxSize), rng_);
        auto codec = MakeCodec(GetParam());
        const int bound = OutputBound(*codec, input, encode);
        const int shortCapacity = static_cast<int>(rng_() % static_cast<unsigned>(bound + 4));
        if (!MatchesReference(input, encode, bound, shape)) return;
        if (!MatchesReference(input, encode, shortCapacity, shape)) return;
      }
    }
  }
}

// Near the capacity the fast paths hand over to the exact rules, which may leave out a line end,
// a pad or a soft break; every capacity from nothing to past the bound must agree.
TEST_P(TransferCodecPropertyTest, MatchesTheReferenceAtEveryCapacity) {
  const std::vector<int> sizes = {0, 1, 2, 3, 4, 56, 57, 58, 59, 75, 76, 77, 114, 115, 171, 300};
  for (bool encode : {true, false}) {
    for (InputShape shape : AllShapes()) {
      std::vector<int> shapeSizes = sizes;
      shapeSizes.push_back(static_cast<int>(rng_() % 700));
      for (int size : shapeSizes) {
        const std::string input = MakeCodecInput(GetParam(), encode, shape, size, rng_);
        auto codec = MakeCodec(GetParam());
        const int bound = OutputBound(*codec, input, encode);
        for (int capacity = 0; capacity <= bound + 3; ++capacity) {
          if (!MatchesReference(input, encode, capacity, shape)) return;
        }
      }
    }
  }
}

TEST_P(TransferCodecPropertyTest, TheSizeBoundAlwaysSuffices) {
  for (bool encode : {true, false}) {
    for (InputShape shape : AllShapes()) {
      for (int n = 0; n < 150; ++n) {
        const std::string input =
            MakeCodecInput(GetParam(), encode, shape, static_cast<int>(rng_() % kMaxSize), rng_);
        auto codec = MakeCodec(GetParam());
        const int bound = OutputBound(*codec, input, encode);
        const int ample = 4 * static_cast<int>(input.size()) + 16;
        const std::string unlimited = RunCodec(*codec, input, encode, ample);
        ASSERT_LE(static_cast<int>(unlimited.size()), bound)
            << (encode ? "encoding " : "decoding ") << ShapeName(shape) << " of " << input.size()
            << " bytes";
        ASSERT_EQ(RunCodec(*codec, input, encode, bound), unlimited);
      }
    }
  }
}

TEST_P(TransferCodecPropertyTest, DecodingTheEncodingGivesTheInputBack) {
  for (InputShape shape : AllShapes()) {
    for (int n = 0; n < 150; ++n) {
      const std::string input = MakeInput(shape, static_cast<int>(rng_() % kMaxSize), rng_);
      const std::string encoded = EncodeAll(GetParam(), input);
      auto codec = MakeCodec(GetParam());
      const std::string decoded =
          RunCodec(*codec, encoded, false, OutputBound(*codec, encoded, false));
      ASSERT_TRUE(decoded == input) << ShapeName(shape) << ": " << Difference(decoded, input);
    }
  }
}

std::string ParamName(const ::testing::TestParamInfo<CodecKind>& param) {
  switch (param.param) {
    case CodecKind::kBase64WithLineBreaks:
      return "Base64WithLineBreaks";
    case CodecKind::kBase64:
      return "Base64";
    case CodecKind::kQuotedPrintable:
      return "QuotedPrintable";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(AllCodecs, TransferCodecPropertyTest,
                         ::testing::Values(CodecKind::kBase64WithLineBreaks, CodecKind::kBase64,
                                           CodecKind::kQuotedPrintable),
                         ParamName);

// Lines of the encoded text, split at CR LF, a lone CR or a lone LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

TEST(QuotedPrintablePropertyTest, NoLineIsLongerThan76Characters) {
  std::mt19937 rng(7);
  for (InputShape shape : AllShapes()) {
    for (int n = 0; n < 80; ++n) {
      const std::string encoded = EncodeAll(
          CodecKind::kQuotedPrintable, MakeInput(shape, static_cast<int>(rng() % kMaxSize), rng));
      for (const std::string& line : Lines(encoded)) {
        ASSERT_LE(line.size(), 76u) << ShapeName(shape) << ": " << line;
      }
    }
  }
}

TEST(Base64PropertyTest, LinesAreFullUpToTheLastAndEndInCrLf) {
  std::mt19937 rng(11);
  for (int n = 0; n < 200; ++n) {
    const std::string input =
        MakeInput(InputShape::kRandomBytes, static_cast<int>(rng() % kMaxSize), rng);
    const std::size_t characters = (input.size() + 2) / 3 * 4;
    const std::string flat = EncodeAll(CodecKind::kBase64, input);
    EXPECT_EQ(flat.size(), characters);
    EXPECT_EQ(flat.find_first_of("\r\n"), std::string::npos);

    const std::string broken = EncodeAll(CodecKind::kBase64WithLineBreaks, input);
    std::string joined;
    std::size_t start = 0;
    while (start < broken.size()) {
      const std::size_t end = broken.find("\r\n", start);
      ASSERT_NE(end, std::string::npos) << "a line without CR LF at " << start;
      const std::string line = broken.substr(start, end - start);
      ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
      ASSERT_TRUE(line.size() == 76 ||
                  (end + 2 == broken.size() && !line.empty() && line.size() < 76))
          << "line of " << line.size() << " at " << start << " of " << broken.size();
      joined += line;
      start = end + 2;
    }
    EXPECT_EQ(joined, flat);
  }
}

}  // namespace
}  // namespace vandrel::mime::testing
