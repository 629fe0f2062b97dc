// The path of a file that a header line of the export names ("X-Attachment: ",
// "X-CalypsoHtmlBody: "), read from the text after the field's name.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Blanks first are skipped. A path in double quotes ends at its closing quote (";" is a letter
// in a Windows file name); any other path ends at the first ";", or at the end of the text with
// its trailing blanks and CR removed, and loses its double quotes. Calypso writes
// "C:\Calypso\Attach\photo.jpg"; 48213.
std::string NamedPath(std::string_view afterFieldName);

}  // namespace vandrel
