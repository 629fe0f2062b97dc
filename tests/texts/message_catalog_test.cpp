#include "texts/message_catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "texts/german_catalog.h"

namespace vandrel {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

void PutWord(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t word,
             bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
    bytes.at(at + i) = static_cast<unsigned char>(word >> shift);
  }
}

// A catalog laid out as msgfmt lays it out: header, both tables, then the strings with a NUL
// after each.
std::vector<unsigned char> CatalogOf(Pairs pairs, bool bigEndian = false) {
  std::sort(pairs.begin(), pairs.end());
  const std::size_t n = pairs.size();
  const std::size_t originals = 28;
  const std::size_t translations = originals + 8 * n;
  std::vector<unsigned char> bytes(translations + 8 * n);
  PutWord(bytes, 0, 0x950412de, bigEndian);
  PutWord(bytes, 8, static_cast<std::uint32_t>(n), bigEndian);
  PutWord(bytes, 12, static_cast<std::uint32_t>(originals), bigEndian);
  PutWord(bytes, 16, static_cast<std::uint32_t>(translations), bigEndian);
  auto append = [&](std::size_t table, std::size_t index, const std::string& text) {
    PutWord(bytes, table + 8 * index, static_cast<std::uint32_t>(text.size()), bigEndian);
    PutWord(bytes, table + 8 * index + 4, static_cast<std::uint32_t>(bytes.size()), bigEndian);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  };
  for (std::size_t i = 0; i < n; ++i)
    append(originals, i, pairs[i].first);
  for (std::size_t i = 0; i < n; ++i)
    append(translations, i, pairs[i].second);
  return bytes;
}

const Pairs kPairs = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"%1 was not found.", "%1 wurde nicht gefunden."},
    {"button\x04"
     "Exit",
     "Beenden"},
    {std::string("%1 file\0%1 files", 16), std::string("%1 Datei\0%1 Dateien", 19)},
    {"\xC3\xA4 sorts after ASCII", "\xC3\xA4 kommt nach ASCII"},
    {"untranslated", ""},
};

TEST(MessageCatalogTest, FindsEveryKindOfEntryInEitherByteOrder) {
  for (const bool bigEndian : {false, true}) {
    const std::vector<unsigned char> bytes = CatalogOf(kPairs, bigEndian);
    const MessageCatalog catalog(bytes);
    ASSERT_TRUE(catalog.IsValid()) << bigEndian;
    EXPECT_EQ(catalog.Find("%1 was not found."), "%1 wurde nicht gefunden.");
    EXPECT_EQ(catalog.Find("button\x04"
                           "Exit"),
              "Beenden");
    EXPECT_EQ(catalog.Find("Exit"), std::nullopt);
    EXPECT_EQ(catalog.Find("\xC3\xA4 sorts after ASCII"), "\xC3\xA4 kommt nach ASCII");
    EXPECT_EQ(catalog.Find("untranslated"), std::nullopt);
    EXPECT_EQ(catalog.Find("not there"), std::nullopt);
    EXPECT_EQ(catalog.Find("%1 was not found"), std::nullopt);  // a prefix is not a match
    EXPECT_EQ(catalog.FindPlural("%1 file", 0), "%1 Datei");
    EXPECT_EQ(catalog.FindPlural("%1 file", 1), "%1 Dateien");
    EXPECT_EQ(catalog.FindPlural("%1 file", 2), std::nullopt);
    EXPECT_EQ(catalog.Find("%1 file"), "%1 Datei");
  }
}

TEST(MessageCatalogTest, DamagedCatalogsFindNothingAndReadNothingOutside) {
  const std::vector<unsigned char> good = CatalogOf(kPairs);
  std::vector<std::vector<unsigned char>> damaged;
  for (std::size_t size : {0, 3, 20, 27, 40}) {
    damaged.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
  }
  // Cut before the last string's end.
  damaged.emplace_back(good.begin(), good.end() - 2);
  std::vector<unsigned char> badMagic = good;
  badMagic[0] = 0;
  damaged.push_back(badMagic);
  std::vector<unsigned char> hugeCount = good;
  PutWord(hugeCount, 8, 0xffffffff, false);
  damaged.push_back(hugeCount);
  std::vector<unsigned char> farString = good;
  PutWord(farString, 28 + 8 + 4, 0xfffffff0, false);  // the second original's offset
  damaged.push_back(farString);
  std::vector<unsigned char> longString = good;
  PutWord(longString, 28 + 8, 0xfffffff0, false);  // and its length
  damaged.push_back(longString);

  for (std::size_t i = 0; i < damaged.size(); ++i) {
    // Copied so that AddressSanitizer sees any read past the end.
    const std::vector<unsigned char> bytes = damaged[i];
    const MessageCatalog catalog(bytes);
    for (const std::pair<std::string, std::string>& pair : kPairs) {
      const std::optional<std::string_view> found = catalog.Find(pair.first);
      if (found) {
        EXPECT_EQ(*found, pair.second) << i;
      }
      (void)catalog.FindPlural(pair.first, 1);
    }
  }
}

TEST(MessageCatalogTest, TheBuiltInGermanCatalogIsWhole) {
  const MessageCatalog catalog(GermanCatalogBytes());
  ASSERT_TRUE(catalog.IsValid());
  EXPECT_EQ(catalog.Find("%1 was not found."), "%1 wurde nicht gefunden.");
}

}  // namespace
}  // namespace vandrel
