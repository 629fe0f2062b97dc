#include "mime/field_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "codec_test_helpers.h"
#include "mime/encoded_word_codec.h"

namespace vandrel::mime {
namespace {

using testing::DecodeAll;
using testing::EncodeAll;
using testing::Latin1;

std::string EncodeField(std::string_view name, const std::string& charset,
                        const std::string& value) {
  auto codec = CreateFieldCodec(name);
  codec->charset = charset;
  return EncodeAll(*codec, value);
}

TEST(FindWordEndTest, SplitsAtBlanksAndSpecialsOutsideQuotesCommentsAndAngles) {
  struct Case {
    std::string text;
    int closer;
    int length;
    int closerAfter;
    int nonAscii;
  } cases[] = {
      {"abc def", 0, 3, 0, 0},
      {"a.b", 0, 1, 0, 0},
      {"a/b-c d", 0, 5, 0, 0},
      {"\"a b\" c", 0, 0, '"', 0},
      {"a, b\" c", '"', 4, 0, 0},
      {"(x", 0, 0, ')', 0},
      {"a (b) c)", ')', 4, 0, 0},
      {"<a@b>", 0, 0, '>', 0},
      {"a@b.c> d", '>', 5, 0, 0},
      {Latin1("Jürgen Müller"), 0, 6, 0, 1},
      {Latin1("éè(x"), 0, 2, ')', 2},
      {Latin1("a, \"b\" ÿ"), FieldCodec::kNeverSplit, 8, FieldCodec::kNeverSplit, 1},
      {"", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    int closer = c.closer;
    int nonAscii = -1;
    EXPECT_EQ(FindWordEnd(c.text.data(), static_cast<int>(c.text.size()), closer, nonAscii),
              c.length)
        << c.text;
    EXPECT_EQ(closer, c.closerAfter) << c.text;
    EXPECT_EQ(nonAscii, c.nonAscii) << c.text;
  }
}

TEST(FieldCodecTest, Encodes) {
  const std::string cs = "iso-8859-1";
  struct Case {
    std::string field;
    std::string charset;
    std::string value;
    std::string expected;
  } cases[] = {
      {"Subject", "", Latin1("Grüße"), Latin1("Grüße")},
      {"Subject", cs, Latin1("Grüße aus Köln"), "=?iso-8859-1?Q?Gr=FC=DFe=20aus=20K=F6ln?="},
      {"Subject", cs, "a, b; c", "a, b; c"},
      {"From", cs, Latin1("\"Müller, Jürgen\" <jm@x.de>, Jörg <j@y.de>"),
       "\"=?iso-8859-1?Q?M=FCller,=20J=FCrgen?=\" <jm@x.de>,\r\n\t=?iso-8859-1?Q?J=F6rg?= "
       "<j@y.de>"},
      {"To", cs, "a@b.c,   d <e@f>", "a@b.c,\r\n\td <e@f>"},
      {"Cc", cs, "Team: a@b.c, x@y.z;", "Team:\r\n\ta@b.c,\r\n\tx@y.z;"},
      {"Bcc", cs, "(x, y) a@b, c", "(x, y) a@b,\r\n\tc"},
      {"To", cs, "a@b, ", "a@b,\r\n\t"},
      {"To", cs, "a@b,", "a@b,"},
      {"To", "", "a@b, c@d", "a@b, c@d"},
      {"Content-Type", cs, Latin1("text/plain; name=\"Grüße-Liste.txt\""),
       "text/plain;\r\n\tname=\"=?iso-8859-1?Q?Gr=FC=DFe-Liste.txt?=\""},
      {"X-Other", cs, "a, b; c: d", "a, b; c: d"},
      // 8-bit words with only blanks between them become one run of words, so the blanks survive.
      {"From", cs, Latin1("Jürgen Müller <jm@x.de>"),
       "=?iso-8859-1?Q?J=FCrgen=20M=FCller?= <jm@x.de>"},
      {"X-Other", cs, Latin1("Jürgen \t Müller"), "=?iso-8859-1?Q?J=FCrgen=20=09=20M=FCller?="},
      {"X-Other", cs, Latin1("Jürgen von Müller"),
       "=?iso-8859-1?Q?J=FCrgen?= von =?iso-8859-1?Q?M=FCller?="},
      {"X-Other", cs, Latin1("Jürgen (Müller)"),
       "=?iso-8859-1?Q?J=FCrgen?= (=?iso-8859-1?Q?M=FCller?=)"},
      // A charset name too long for any word: the value is written as if it had none.
      {"Subject", std::string(64, 'c'), Latin1("Grüße"), Latin1("Grüße")},
      {"To", std::string(80, 'c'), Latin1("Jörg <j@y.de>, a@b"), Latin1("Jörg <j@y.de>, a@b")},
  };
  for (const Case& c : cases) {
    auto codec = CreateFieldCodec(c.field);
    codec->charset = c.charset;
    EXPECT_EQ(EncodeAll(*codec, c.value), c.expected) << c.field << ": " << c.value;
    // A value written unchanged has an exact bound.
    if (!EncodedWordCodec::EncodesWith(c.charset)) {
      EXPECT_EQ(codec->EncodedLength(), static_cast<int>(c.value.size())) << c.charset.size();
    }
  }
}

TEST(FieldCodecTest, ChoosesBase64OnlyWhenShorterAndMostlyEightBit) {
  struct Case {
    int length;
    int nonAscii;
    char letter;
  } cases[] = {
      {10, 8, 'B'},   {10, 4, 'B'},   {10, 3, 'Q'},   {30, 5, 'Q'},
      {100, 19, 'Q'}, {100, 20, 'Q'}, {100, 21, 'B'},
  };
  for (const Case& c : cases) {
    const std::string value = std::string(static_cast<std::size_t>(c.nonAscii), '\xE9') +
                              std::string(static_cast<std::size_t>(c.length - c.nonAscii), 'a');
    const std::string encoded = EncodeField("Subject", "utf-8", value);
    EXPECT_EQ(encoded.substr(0, 10), std::string("=?utf-8?") + c.letter + "?")
        << c.length << "/" << c.nonAscii;
  }
}

TEST(FieldCodecTest, DecodingTakesTheCharsetOfTheFirstWord) {
  struct Case {
    std::string value;
    std::string decoded;
    std::string charset;
  } cases[] = {
      {"=?ISO-8859-1?q?caf=E9_au_lait?=", Latin1("café au lait"), "ISO-8859-1"},
      {"=?a?q?J=F6rg?= <j@y.de>,\r\n\t=?b?q?x?=", Latin1("Jörg <j@y.de>,\r\n\tx"), "a"},
      {"no words here", "no words here", ""},
  };
  for (const char* field : {"Subject", "To", "Content-Type", "X-Other"}) {
    for (const Case& c : cases) {
      auto codec = CreateFieldCodec(field);
      codec->charset = "stale";
      EXPECT_EQ(DecodeAll(*codec, c.value), c.decoded) << field << ": " << c.value;
      EXPECT_EQ(codec->charset, c.charset) << field << ": " << c.value;
    }
  }
}

TEST(FieldCodecTest, DecodingIntoAShortBufferStillFindsTheCharset) {
  const std::string value = "ab =?x?q?c?=";
  auto codec = CreateFieldCodec("Subject");
  codec->SetInput(value.data(), static_cast<int>(value.size()), false);
  char buffer[2];
  EXPECT_EQ(codec->Decode(buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  EXPECT_EQ(codec->charset, "x");
}

}  // namespace
}  // namespace vandrel::mime
