// Thunderbird reads raw 8-bit header bytes as UTF-8, so every header value the converter writes
// that holds such bytes carries a charset and is written as encoded words.
#pragma once

#include <string>
#include <string_view>

#include "mime/mime_part.h"

namespace vandrel {

// The charset that names the export's own 8-bit bytes in a message: the MIME name of its code
// page. Windows-1252 keeps the label "iso-8859-1", which mail readers take as Windows-1252.
std::string ExportTextCharset(std::string_view codePage);

// Empty for a pure ASCII value; else the charset the value was read in, or the export's.
std::string HeaderCharsetFor(std::string_view value, std::string_view sourceCharset,
                             std::string_view exportCharset);

// After a file was read into the part: the "name" it got may hold 8-bit bytes.
void MarkContentTypeCharset(mime::MimePart& part, std::string_view exportCharset);

// The text with every double quote removed, as the export's paths and names are read.
std::string WithoutQuotes(std::string_view text);

// The text after the last backslash of a path as the export wrote it.
std::string_view ExportFileName(std::string_view pathAsWritten);

}  // namespace vandrel
