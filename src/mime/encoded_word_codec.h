// RFC 2047 encoded words ("=?charset?B?...?=" and "=?charset?Q?...?="), built on the base64 and
// quoted-printable codecs.
#pragma once

#include <string>

#include "mime/transfer_codec.h"

namespace vandrel::mime {

class EncodedWordCodec : public TransferCodec {
 public:
  EncodedWordCodec() = default;
  EncodedWordCodec(char encodingLetter, std::string charsetName)
      : encoding(encodingLetter), charset(std::move(charsetName)) {}

  // 'B' or 'Q' when encoding; after decoding, the lower-case letter of the first word.
  char encoding = 'Q';
  // Written into the words; after decoding, the charset the first word named.
  std::string charset;

  int EncodedLength() override;
  int DecodedLength() override { return InputLength(); }
  int Encode(char* buffer, int capacity) override;
  int Decode(char* buffer, int capacity) override;
};

}  // namespace vandrel::mime
