#include <gtest/gtest.h>

#include "engine/converting/attachment_parts.h"

namespace vandrel {
namespace {

TEST(AttachmentTypeTest, TheLastFiveCharactersChooseTheRow) {
  const struct {
    const char* path;
    const char* contentType;
    const char* description;
  } cases[] = {
      {"C:\\a\\photo.jpg", "image/jpeg", "enclosed photo"},
      {"C:\\a\\photo.JPEG", "image/jpeg", "enclosed photo"},
      {"C:\\a\\photo.jpe", "image/jpeg", "enclosed photo"},
      {"C:\\a\\anim.gif", "image/gif", "enclosed photo"},
      {"C:\\a\\anim.gifx", "image/gif", "enclosed photo"},
      {"C:\\a\\notes.txt", "text/plain", "text file"},
      {"C:\\a\\notes.txt.bak", "application/unknown", "enclosed file"},
      {"C:\\a\\page.html", "text/html", "enclosed html"},
      {"C:\\a\\mail.MSG", "text/plain", "enclosed msg"},
      {"C:\\a\\all.zip", "application/zip", "enclosed zip archive"},
      {"C:\\a\\doc.Pdf", "application/pdf", "enclosed portable document"},
      {"C:\\a\\setup.exe", "application/octet-stream", "executable"},
      {"C:\\a\\sheet.xls", "application/unknown", "enclosed file"},
      {"C:\\a\\README", "application/unknown", "enclosed file"},
      {".jp", "image/jpeg", "enclosed photo"},
      {"", "application/unknown", "enclosed file"},
  };
  for (const auto& c : cases) {
    const AttachmentType& type = AttachmentTypeFor(c.path);
    EXPECT_STREQ(type.contentType, c.contentType) << c.path;
    EXPECT_STREQ(type.description, c.description) << c.path;
  }
  EXPECT_STREQ(AttachmentTypeFor("x.msg").charset, "iso-8859-1");
  EXPECT_STREQ(AttachmentTypeFor("x.msg").transferEncoding, "quoted-printable");
  EXPECT_STREQ(AttachmentTypeFor("x.txt").transferEncoding, "7bit");
}

}  // namespace
}  // namespace vandrel
