// Randomised checks over many inputs: the encoders never write past the capacity they are given
// or past their own bound, and a field value comes back from its own encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec_test_helpers.h"
#include "mime/encoded_word_codec.h"
#include "mime/field_codec.h"

namespace vandrel::mime {
namespace {

using testing::DecodeAll;
using testing::EncodeAll;

constexpr char kGuardByte = '\xA5';
constexpr int kGuardSize = 32;

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
  bool OneIn(int n) { return Below(n) == 0; }
  char Pick(std::string_view from) {
    return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
  }
  char Byte() { return static_cast<char>(Below(256)); }
  char HighByte() { return static_cast<char>(0x80 + Below(128)); }

 private:
  std::mt19937 engine_;
};

// Binary bytes, 8-bit text, or 8-bit text broken into CR LF lines; mostly short, some long.
std::string RandomInput(Random& random) {
  const int length = random.OneIn(8) ? random.Below(3000) : random.Below(200);
  const int style = random.Below(3);
  std::string text;
  for (int i = 0; i < length; ++i) {
    if (style == 0) {
      text += random.Byte();
    } else if (style == 2 && random.OneIn(30)) {
      text += "\r\n";
    } else {
      text += random.OneIn(6) ? random.HighByte() : random.Pick("abc xyz,;:<>()\"@.=?_\t");
    }
  }
  return text;
}

std::vector<std::unique_ptr<TransferCodec>> AllEncoders(const std::string& charset) {
  std::vector<std::unique_ptr<TransferCodec>> codecs;
  codecs.push_back(std::make_unique<EncodedWordCodec>('B', charset));
  codecs.push_back(std::make_unique<EncodedWordCodec>('Q', charset));
  for (const char* field : {"Subject", "To", "Content-Type", "X-Other"}) {
    auto codec = CreateFieldCodec(field);
    codec->charset = charset;
    codecs.push_back(std::move(codec));
  }
  return codecs;
}

// Encodes into `capacity` bytes followed by a guard region; fails if the guard is touched.
std::string EncodeGuarded(TransferCodec& codec, int capacity) {
  std::string buffer(static_cast<std::size_t>(capacity + kGuardSize), kGuardByte);
  const int written = codec.Encode(buffer.data(), capacity);
  EXPECT_GE(written, 0);
  EXPECT_LE(written, capacity);
  EXPECT_EQ(buffer.find_first_not_of(kGuardByte, static_cast<std::size_t>(capacity)),
            std::string::npos)
      << "wrote past a capacity of " << capacity;
  buffer.resize(static_cast<std::size_t>(std::clamp(written, 0, capacity)));
  return buffer;
}

TEST(FieldCodecPropertyTest, EncodersStayWithinCapacityAndBound) {
  Random random(2047);
  for (int charsetLength = 0; charsetLength <= 70; ++charsetLength) {
    const std::string charset(static_cast<std::size_t>(charsetLength), 'c');
    for (int round = 0; round < 12; ++round) {
      const std::string input = RandomInput(random);
      for (auto& codec : AllEncoders(charset)) {
        codec->SetInput(input.data(), static_cast<int>(input.size()), true);
        const int bound = codec->EncodedLength();
        const std::string full = EncodeGuarded(*codec, bound);
        const bool isField = dynamic_cast<FieldCodec*>(codec.get()) != nullptr;
        for (int capacity : {0, 1, 2, 7, random.Below(bound + 1), bound / 2, bound - 1}) {
          if (capacity < 0) continue;
          const std::string part = EncodeGuarded(*codec, capacity);
          // A field cut short is the start of the full field, never something else.
          if (isField) {
            ASSERT_EQ(part, full.substr(0, part.size())) << capacity;
          }
        }
        if (::testing::Test::HasFailure()) {
          FAIL() << "charset length " << charsetLength << ", input of " << input.size();
        }
      }
    }
  }
}

TEST(FieldCodecPropertyTest, EncodedWordsDecodeToTheirInput) {
  Random random(1342);
  for (int charsetLength = 1; charsetLength <= 63; ++charsetLength) {
    const std::string charset(static_cast<std::size_t>(charsetLength), 'c');
    for (int round = 0; round < 6; ++round) {
      const std::string input = RandomInput(random);
      for (char letter : {'B', 'Q'}) {
        EncodedWordCodec encoder(letter, charset);
        EncodedWordCodec decoder;
        ASSERT_EQ(DecodeAll(decoder, EncodeAll(encoder, input)), input)
            << letter << ", charset length " << charsetLength;
        if (!input.empty()) {
          EXPECT_EQ(decoder.charset, charset);
        }
      }
    }
  }
}

// A random field value, built piece by piece, and what it reads back as: the encoder replaces
// the blanks after a delimiter with its fold.
class ValueBuilder {
 public:
  ValueBuilder(Random& random, std::string_view delimiters)
      : random_(random), delimiters_(delimiters) {}

  void Build() {
    const int pieces = random_.Below(16);
    for (int i = 0; i < pieces; ++i)
      AddPiece();
  }
  const std::string& value() const { return value_; }
  const std::string& readBack() const { return readBack_; }

 private:
  void AddPiece() {
    switch (random_.Below(11)) {
      case 0:
        Text(AsciiWord());
        break;
      case 1:
      case 2:
        Text(EightBitWord(1 + random_.Below(12)));
        break;
      case 3:
        Blanks();
        break;
      case 4:
        Delimiter();
        break;
      case 5:
        Text(std::string(1, random_.Pick(".@=")));
        Text(AsciiWord());
        break;
      case 6:
        Text("\"" + Inner("\"") + "\"");
        break;
      case 7:
        Text("(" + Inner(")") + ")");
        break;
      case 8:
        Text("<" + Inner(">") + ">");
        break;
      case 9:
        Text(EightBitWord(100 + random_.Below(200)));
        break;
      default:
        LongRunOfWords();
        break;
    }
  }

  std::string AsciiWord() {
    std::string word;
    for (int n = 1 + random_.Below(12); n > 0; --n)
      word += random_.Pick("abcXYZ019-+!'/*_");
    return word;
  }

  // At least one byte above 0x7F; may hold "?", "_" and "=" wherever it cannot start "=?".
  std::string EightBitWord(int length) {
    std::string word(1, random_.HighByte());
    while (static_cast<int>(word.size()) < length) {
      word += random_.OneIn(2) ? random_.HighByte() : random_.Pick("abcXYZ?_");
    }
    return word;
  }

  // The inside of a quoted string, comment or angle address, without its closer.
  std::string Inner(std::string_view closer) {
    std::string inner;
    for (int n = random_.Below(6); n > 0; --n) {
      switch (random_.Below(4)) {
        case 0:
          inner += AsciiWord();
          break;
        case 1:
          inner += EightBitWord(1 + random_.Below(8));
          break;
        case 2:
          inner += random_.OneIn(2) ? " " : "\t";
          break;
        default:
          inner += random_.Pick(",;:(<@.\"");
          break;
      }
    }
    inner.erase(std::remove(inner.begin(), inner.end(), closer[0]), inner.end());
    return inner;
  }

  void LongRunOfWords() {
    for (int n = 5 + random_.Below(30); n > 0; --n) {
      Text(EightBitWord(1 + random_.Below(10)));
      if (n > 1) Text(" ");
    }
  }

  void Blanks() {
    static const char* const kBlanks[] = {" ", "  ", "\t", " \t ", "\r\n "};
    const std::string blanks = kBlanks[random_.Below(5)];
    value_ += blanks;
    if (!afterDelimiter_) readBack_ += blanks;
  }

  void Delimiter() {
    const char c = random_.Pick(",;:");
    Text(std::string(1, c));
    afterDelimiter_ = delimiters_.find(c) != std::string_view::npos;
    if (random_.OneIn(2)) Blanks();
  }

  void Text(const std::string& text) {
    value_ += text;
    readBack_ += text;
    afterDelimiter_ = false;
  }

  Random& random_;
  std::string_view delimiters_;
  std::string value_;
  std::string readBack_;
  bool afterDelimiter_ = false;
};

std::string WithoutFolds(std::string text) {
  for (std::size_t at; (at = text.find("\r\n\t")) != std::string::npos;)
    text.erase(at, 3);
  return text;
}

TEST(FieldCodecPropertyTest, FieldValuesSurviveTheirRoundTrip) {
  const struct {
    const char* field;
    const char* delimiters;
  } kinds[] = {{"Subject", ""}, {"To", ",:"}, {"Content-Type", ";"}, {"X-Other", ""}};
  const std::string charsets[] = {"a", "utf-8", "iso-8859-15", std::string(40, 'w'),
                                  std::string(63, 'c')};
  Random random(822);
  for (const auto& kind : kinds) {
    for (const std::string& charset : charsets) {
      for (int round = 0; round < 150; ++round) {
        ValueBuilder builder(random, kind.delimiters);
        builder.Build();
        auto encoder = CreateFieldCodec(kind.field);
        encoder->charset = charset;
        const std::string encoded = EncodeAll(*encoder, builder.value());
        auto decoder = CreateFieldCodec(kind.field);
        ASSERT_EQ(WithoutFolds(DecodeAll(*decoder, encoded)), builder.readBack())
            << kind.field << ", charset " << charset << "\nencoded: " << encoded;
      }
    }
  }
}

}  // namespace
}  // namespace vandrel::mime
