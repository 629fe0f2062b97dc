#include "mime/encoded_word_codec.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "codec_test_helpers.h"

namespace vandrel::mime {
namespace {

using testing::DecodeAll;
using testing::EncodeAll;
using testing::Latin1;

std::vector<std::string> SplitAtSpaces(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; std::getline(in, word, ' ');)
    words.push_back(word);
  return words;
}

TEST(EncodedWordCodecTest, EncodesOneWord) {
  const std::string longCharset(64, 'c');
  struct Case {
    char letter;
    std::string charset;
    std::string input;
    std::string expected;
  } cases[] = {
      {'Q', "iso-8859-1", Latin1("Grüße aus Köln"), "=?iso-8859-1?Q?Gr=FC=DFe=20aus=20K=F6ln?="},
      {'Q', "a", "a_b?c=d e\t", "=?a?Q?a=5Fb=3Fc=3Dd=20e=09?="},
      {'q', "a", "(x)", "=?a?Q?(x)?="},
      {'B', "utf-8", "Hi!", "=?utf-8?B?SGkh?="},
      {'b', "x", Latin1("é"), "=?x?B?6Q==?="},
      {'B', "x", "", ""},
      {'Q', "", Latin1("été"), Latin1("été")},
      // Too long a name leaves no room for text; the input goes out unchanged.
      {'B', longCharset, Latin1("été"), Latin1("été")},
      {'Q', longCharset, Latin1("été"), Latin1("été")},
  };
  for (const Case& c : cases) {
    EncodedWordCodec codec(c.letter, c.charset);
    EXPECT_EQ(EncodeAll(codec, c.input), c.expected) << c.letter << " " << c.charset;
    // Without words the bound is exact.
    if (!EncodedWordCodec::EncodesWith(c.charset) || c.input.empty()) {
      EXPECT_EQ(codec.EncodedLength(), static_cast<int>(c.input.size())) << c.charset.size();
    }
  }
}

TEST(EncodedWordCodecTest, LongInputIsSplitIntoWordsOfAtMost75Characters) {
  struct Case {
    char letter;
    std::string charset;
    std::string input;
    std::vector<std::size_t> textLengths;
  } cases[] = {
      // 42 input bytes, 56 base64 characters per word with a 10-character name.
      {'B', "iso-8859-9", std::string(100, '\xE9'), {56, 56, 24}},
      {'B', std::string(63, 'c'), "1234567", {4, 4, 4}},
      {'Q', "utf-8", std::string(100, 'a'), {63, 37}},
      // An escape is never cut: it moves to the next word whole.
      {'Q', "utf-8", std::string(62, 'a') + "\xE9" + "b", {62, 4}},
      {'Q', std::string(63, 'c'), "\xE9\xE9", {3, 3}},
  };
  for (const Case& c : cases) {
    EncodedWordCodec codec(c.letter, c.charset);
    const std::string encoded = EncodeAll(codec, c.input);
    const std::string prefix = "=?" + c.charset + "?" + c.letter + "?";
    std::vector<std::size_t> textLengths;
    for (const std::string& word : SplitAtSpaces(encoded)) {
      EXPECT_LE(word.size(), 75u) << word;
      ASSERT_EQ(word.substr(0, prefix.size()), prefix) << word;
      ASSERT_EQ(word.substr(word.size() - 2), "?=") << word;
      textLengths.push_back(word.size() - prefix.size() - 2);
    }
    EXPECT_EQ(textLengths, c.textLengths) << encoded;
    EncodedWordCodec decoder;
    EXPECT_EQ(DecodeAll(decoder, encoded), c.input) << encoded;
  }
}

TEST(EncodedWordCodecTest, ShortBufferGetsCompleteWordsOfTheStartOfTheInput) {
  std::string input;
  for (int i = 0; i < 150; ++i)
    input += static_cast<char>(i % 3 == 0 ? 0xC0 + i % 50 : 'a' + i % 26);
  for (char letter : {'B', 'Q'}) {
    EncodedWordCodec codec(letter, "iso-8859-1");
    codec.SetInput(input.data(), static_cast<int>(input.size()), true);
    const int bound = codec.EncodedLength();
    for (int capacity = 0; capacity <= bound; ++capacity) {
      std::string out(static_cast<std::size_t>(bound), '\0');
      const int written = codec.Encode(out.data(), capacity);
      ASSERT_LE(written, capacity);
      out.resize(static_cast<std::size_t>(written));
      for (const std::string& word : SplitAtSpaces(out)) {
        ASSERT_EQ(word.substr(0, 2), "=?") << capacity << ": " << out;
        ASSERT_EQ(word.substr(word.size() - 2), "?=") << capacity << ": " << out;
      }
      EncodedWordCodec decoder;
      const std::string decoded = DecodeAll(decoder, out);
      ASSERT_EQ(decoded, input.substr(0, decoded.size())) << letter << " " << capacity;
    }
  }
}

TEST(EncodedWordCodecTest, Decodes) {
  struct Case {
    std::string input;
    std::string expected;
    std::string charset;
    char encoding;
  } cases[] = {
      {"=?ISO-8859-1?q?caf=E9_au_lait?=", Latin1("café au lait"), "ISO-8859-1", 'q'},
      {"=?a?Q?x?= =?b?B?eQ==?=", "xy", "a", 'q'},
      {"=?a?b?SGk=?=", "Hi", "a", 'b'},
      {"=?a?q?x?=\r\n =?a?q?y?=", "xy", "a", 'q'},
      {"=?a?q?x?==?a?q?y?=", "xy", "a", 'q'},
      {"=?a?q?x?= y =?a?q?z?=", "x y z", "a", 'q'},
      {"  =?a?q?x?=", "  x", "a", 'q'},
      {"=?a?q?x?=  \t ", "x  \t ", "a", 'q'},
      {"x=?a?q?y?=z", "xyz", "a", 'q'},
      {"==?a?q?x?=", "=x", "a", 'q'},
      {"=?a?q?a_b=5Fc?=", "a b_c", "a", 'q'},
      // The first word names the charset, even an empty one.
      {"=??q?x?= =?b?q?y?=", "xy", "b", 'q'},
      // A word that does not close before its blank is text as written.
      {"=?a?q?abc", "=?a?q?abc", "", 'Q'},
      {"=?utf-8?B?Margaret Doyle <maggie@example.com>",
       "=?utf-8?B?Margaret Doyle <maggie@example.com>", "", 'Q'},
      {"=?a?q?x y?=", "=?a?q?x y?=", "", 'Q'},
      {"=?a b?q?x?=", "=?a b?q?x?=", "", 'Q'},
      {"=?a?q?x?= =?a?q?y", "x =?a?q?y", "a", 'q'},
      {"=?a?q?x\r\n ?=", "=?a?q?x\r\n ?=", "", 'Q'},
      // Malformed words are text; the blank before one stays.
      {"=?abc", "=?abc", "", 'Q'},
      {"=?a?q", "=?a?q", "", 'Q'},
      {"=?a?q?", "=?a?q?", "", 'Q'},
      {"=?a?q?x?= =?bad", "x =?bad", "a", 'q'},
      {"=?a?x?text?= tail", "=?a?x?text?= tail", "a", 'x'},
      {"plain, text", "plain, text", "", 'Q'},
  };
  for (const Case& c : cases) {
    EncodedWordCodec codec('Q', "previous");
    EXPECT_EQ(DecodeAll(codec, c.input), c.expected) << c.input;
    EXPECT_EQ(codec.charset, c.charset) << c.input;
    EXPECT_EQ(codec.encoding, c.encoding) << c.input;
  }
}

}  // namespace
}  // namespace vandrel::mime
