// Attached files and HTML bodies must come back byte for byte. The type table asks for 7bit or
// quoted-printable for some of them, which only carry text whose lines end in CR LF; anything
// else is sent in base64 instead.
#pragma once

#include <string_view>

#include "mime/mime_part.h"

namespace vandrel {

// Whether 7bit carries the bytes exactly: no byte above 0x7F, no NUL, every CR followed by LF
// and every LF preceded by CR, and no line longer than 998 bytes.
bool SevenBitCarries(std::string_view bytes);
// Whether quoted-printable carries them exactly: every CR followed by LF, every LF after a CR.
bool QuotedPrintableCarries(std::string_view bytes);

// After a file was read into the part: its Content-Transfer-Encoding becomes base64, in its
// place, when the one it has would change the bytes.
void KeepFileBytesExact(mime::MimePart& part);

}  // namespace vandrel
