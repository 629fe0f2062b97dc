// One part per file that the export names in an "X-Attachment: " line, typed by the file's
// extension and read from disk.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/converting/referenced_files.h"
#include "mime/mime_part.h"

namespace vandrel {

struct AttachmentType {
  const char* extension;  // searched for in the last five characters of the lower-case path
  const char* description;
  const char* transferEncoding;
  const char* contentType;
  // Set after the type, before the encoding; null for none. The file is text in the export's
  // code page, so a file of its own code page is labelled with that one's charset instead.
  const char* charset;
};

// Rows 1 to 8 are tried in order; the last row applies when none matches.
inline constexpr std::array<AttachmentType, 9> AttachmentTypeTable = {{
    {".jp", "enclosed photo", "base64", "image/jpeg", nullptr},
    {".gif", "enclosed photo", "base64", "image/gif", nullptr},
    {".txt", "text file", "7bit", "text/plain", nullptr},
    {".htm", "enclosed html", "base64", "text/html", nullptr},
    {".msg", "enclosed msg", "quoted-printable", "text/plain", "iso-8859-1"},
    {".zip", "enclosed zip archive", "base64", "application/zip", nullptr},
    {".pdf", "enclosed portable document", "base64", "application/pdf", nullptr},
    {".exe", "executable", "base64", "application/octet-stream", nullptr},
    {nullptr, "enclosed file", "base64", "application/unknown", nullptr},
}};

const AttachmentType& AttachmentTypeFor(std::string_view path);

void AddAttachments(std::string_view messageText, mime::MailMessage& output, ReferencedFiles& files,
                    std::string_view exportCharset);

}  // namespace vandrel
