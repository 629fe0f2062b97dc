// The body of a converted message: the HTML body file that Calypso keeps beside the export, or
// else the text of the exported message, one quoted-printable part per text leaf; then every
// other leaf of the exported message (pictures, documents, forwarded messages) as it stood.
#pragma once

#include <string>
#include <string_view>

#include "engine/converting/referenced_files.h"
#include "mime/mime_part.h"

namespace vandrel {

// `source` was loaded from `sourceText`. Text without a charset of its own is labelled
// `exportCharset`. The text moves from the source into the output, without a copy: the
// source's text parts are left empty.
void AddBodyParts(mime::MailMessage& source, std::string_view sourceText, mime::MailMessage& output,
                  const std::string& htmlBodyReference, ReferencedFiles& files,
                  std::string_view exportCharset);

}  // namespace vandrel
