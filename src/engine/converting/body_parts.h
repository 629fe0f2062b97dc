// The body of a converted message: the HTML body file that Calypso keeps beside the export, or
// else the text of the exported message, one quoted-printable part per text leaf.
#pragma once

#include <string>

#include "engine/converting/referenced_files.h"
#include "mime/mime_part.h"

namespace vandrel {

void AddBodyParts(const mime::MailMessage& source, mime::MailMessage& output,
                  const std::string& htmlBodyReference, ReferencedFiles& files);

}  // namespace vandrel
