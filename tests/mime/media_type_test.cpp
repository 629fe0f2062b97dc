#include "mime/media_type.h"

#include <gtest/gtest.h>

namespace vandrel::mime {
namespace {

TEST(MediaTypeTest, FromNameIsAPrefixTestIgnoringCase) {
  const struct {
    const char* value;
    MediaType expected;
  } cases[] = {
      {"text", kMediaText},
      {"TEXT/HTML", kMediaText},
      {"text/plain; charset=\"utf-8\"", kMediaText},
      {"textual", kMediaText},
      {"image/png", kMediaImage},
      {"Audio/basic", kMediaAudio},
      {"video/mpeg", kMediaVideo},
      {"application/pdf", kMediaApplication},
      {"multipart/mixed; boundary=\"x\"", kMediaMultipart},
      {"message/rfc822", kMediaMessage},
      {"x-custom/thing", kMediaOther},
      {"", kMediaOther},
      {"tex", kMediaOther},
  };
  for (const auto& c : cases) EXPECT_EQ(MediaTypeFromName(c.value), c.expected) << c.value;
}

TEST(MediaTypeTest, ContentTypeFollowsTheLastExtension) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"report.PDF", "application/pdf"},
      {"photo.JPG", "image/jpeg"},
      {"photo.jpeg", "image/jpeg"},
      {"clip.mpg", "video/mpeg"},
      {"song.mp3", "audio/basic"},
      {"scan.Tiff", "image/tiff"},
      {"letter.doc", "application/msword"},
      {"sheet.xls", "application/vnd.ms-excel"},
      {"archive.tar.gz", "application/octet-stream"},
      {"README", "application/octet-stream"},
      {"trailing.", "application/octet-stream"},
      {"my.doc.txt", "application/octet-stream"},
      {"dir.pdf/file", "application/octet-stream"},
      {"", "application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_EQ(ContentTypeForFileName(c.name), c.expected) << c.name;
}

TEST(MediaTypeTest, TableEndsWithTheMarkerRowAndNamesWithNull) {
  EXPECT_EQ(ExtensionTable.back().type, kMediaOther);
  EXPECT_EQ(MediaTypeNames.back(), nullptr);
  EXPECT_STREQ(MediaTypeNames[kMediaMultipart], "multipart");
}

}  // namespace
}  // namespace vandrel::mime
