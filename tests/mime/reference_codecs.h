// The transfer codecs written byte at a time, straight from the rules. The library's codecs take
// shortcuts for speed; the tests hold them to these, byte for byte and at every capacity.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::mime::reference {

// Each returns what the codec writes into a buffer of `capacity` bytes.
std::string Base64Encode(std::string_view input, bool lineBreaks, int capacity);
std::string Base64Decode(std::string_view input, int capacity);
std::string QuotedPrintableEncode(std::string_view input, int capacity);
std::string QuotedPrintableDecode(std::string_view input, int capacity);

// The size the quoted-printable encoder asks for: every byte but letters and digits counts three
// times, and six more for each 74 counted.
int QuotedPrintableEncodedLength(std::string_view input);

}  // namespace vandrel::mime::reference
