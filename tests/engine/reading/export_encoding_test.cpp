#include "engine/reading/export_encoding.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(ExportEncodingTest, ExportTextBecomesUtf8AndWhatDoesNotConvertBecomesAReplacement) {
  auto encoding = ExportEncoding::Create();
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ(encoding->ToSystemText("Entw\xFCrfe"), "Entw\xC3\xBCrfe");
  EXPECT_EQ(encoding->ToSystemText("\x80 5"), "\xE2\x82\xAC 5");
  EXPECT_EQ(encoding->ToSystemText("a\x81z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(encoding->ToSystemText(""), "");
  std::string large(5000, '\xE4');
  EXPECT_EQ(encoding->ToSystemText(large).size(), 10000u);
}

TEST(ExportEncodingTest, DecodedHeaderTextKeepsItsOwnCharsetWhenKnown) {
  auto encoding = ExportEncoding::Create();
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

}  // namespace
}  // namespace vandrel
