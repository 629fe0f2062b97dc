#include "engine/reading/export_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/request_parts.h"

namespace vandrel {
namespace {

TEST(ExportEncodingTest, ExportTextBecomesUtf8AndWhatDoesNotConvertBecomesAReplacement) {
  auto encoding = ExportEncoding::Create("CP1252");
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ(encoding->ToSystemText("Entw\xFCrfe"), "Entw\xC3\xBCrfe");
  EXPECT_EQ(encoding->ToSystemText("\x80 5"), "\xE2\x82\xAC 5");
  EXPECT_EQ(encoding->ToSystemText("a\x81z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(encoding->ToSystemText(""), "");
  std::string large(5000, '\xE4');
  EXPECT_EQ(encoding->ToSystemText(large).size(), 10000u);
}

TEST(ExportEncodingTest, DecodedHeaderTextKeepsItsOwnCharsetWhenKnown) {
  auto encoding = ExportEncoding::Create("CP1252");
  EXPECT_EQ(encoding->ToSystemText("Gr\xC3\xBC\xC3\x9F"
                                   "e",
                                   "utf-8"),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  EXPECT_EQ(encoding->ToSystemText("K\xF6ln", "ISO-8859-1"), "K\xC3\xB6ln");
  EXPECT_EQ(encoding->ToSystemText("bad \xFF utf8", "UTF-8"), "bad \xEF\xBF\xBD utf8");
  // An unknown charset falls back to the export's code page.
  EXPECT_EQ(encoding->ToSystemText("K\xF6ln", "x-unknown-charset"), "K\xC3\xB6ln");
}

TEST(ExportEncodingTest, OtherCodePagesAndUnknownNames) {
  auto centralEuropean = ExportEncoding::Create("CP1250");
  ASSERT_NE(centralEuropean, nullptr);
  EXPECT_EQ(centralEuropean->ToSystemText("\x8A"), "\xC5\xA0");  // Š
  EXPECT_EQ(ExportEncoding::Create("no-such-code-page"), nullptr);
}

// Every system gives the same text for the same export, whatever converts it.
TEST(ExportEncodingTest, CodePagesConvertAlikeOnEverySystem) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const struct {
    const char* codePage;
    std::string text;
    std::string utf8;
  } cases[] = {
      // The five bytes Windows-1252 leaves undefined.
      {"CP1252", "\x81\x8D\x8F\x90\x9D", r + r + r + r + r},
      {"CP1252", "\x80\x9F\xFF", "\xE2\x82\xAC\xC5\xB8\xC3\xBF"},
      {"windows-1253", "\xC1\xE8\xDE\xED\xE1", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1"},
      {"CP1253", "\xAA", r},
      {"CP1251", "\xCF\xE8\xF1\xFC\xEC\xE0", "\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xB0"},
      {"ISO-8859-7", "\xE1\x85", "\xCE\xB1\xC2\x85"},
      {"ISO-8859-2", "\xA9", "\xC5\xA0"},
      // Broken UTF-8: one replacement for every byte that starts no whole character.
      {"UTF-8", "a\xE2\x82z\xC0\xAF\xED\xA0\x80\xF0\x9F\x98\x80",
       "a" + r + r + "z" + r + r + r + r + r + "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    auto encoding = ExportEncoding::Create(c.codePage);
    ASSERT_NE(encoding, nullptr) << c.codePage;
    EXPECT_EQ(encoding->ToSystemText(c.text), c.utf8) << c.codePage << " " << c.text;
  }
}

// An export's field names, separator lines and paths are ASCII, found byte by byte: a code page
// in which they are other bytes is refused by name, never read as if it were another.
TEST(ExportEncodingTest, OnlyCodePagesThatKeepAsciiAsItIsAreUsable) {
  using Fit = ExportEncoding::Fit;
  const struct {
    const char* codePage;
    std::vector<Fit> fits;  // more than one where systems know different names
  } cases[] = {
      {"CP1252", {Fit::kUsable}},
      {"windows-1250", {Fit::kUsable}},
      {"ISO-8859-7", {Fit::kUsable}},
      {"UTF-8", {Fit::kUsable}},
      {"CP932", {Fit::kUsable}},  // its trail bytes may be ASCII, its ASCII is ASCII
      {"", {Fit::kUnknown}},
      {"no-such-code-page", {Fit::kUnknown}},
      {"CP037", {Fit::kNotAsciiText}},  // EBCDIC
      {"CP500", {Fit::kNotAsciiText}},
      {"UTF-16", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UTF-16LE", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UTF-16BE", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UCS-2", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UTF-32", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UCS-4", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"UTF-7", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"CP65000", {Fit::kNotAsciiText, Fit::kUnknown}},  // UTF-7 on Windows
      {"IBM037", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"CP1047", {Fit::kNotAsciiText, Fit::kUnknown}},
      {"EBCDIC-US", {Fit::kNotAsciiText, Fit::kUnknown}},
  };
  for (const auto& c : cases) {
    const Fit fit = ExportEncoding::FitOf(c.codePage);
    EXPECT_NE(std::find(c.fits.begin(), c.fits.end(), fit), c.fits.end())
        << c.codePage << " " << static_cast<int>(fit);
    const auto encoding = ExportEncoding::Create(c.codePage);
    EXPECT_EQ(encoding != nullptr, fit == Fit::kUsable) << c.codePage;
    if (encoding != nullptr) {
      EXPECT_EQ(encoding->ToSystemText(kExportAscii), kExportAscii) << c.codePage;
    }
  }
  // A run asked for one reads the export in the default code page, as for an unknown name.
  ConversionRequest request;
  request.exportCodePage = "UTF-16";
  EXPECT_EQ(EncodingFor(request)->CodePage(), DefaultExportCodePage());
}

}  // namespace
}  // namespace vandrel
