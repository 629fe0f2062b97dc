// RFC 2045 quoted-printable in text mode: CR LF pass through, long lines get soft breaks,
// preferably after the last blank of the line.
#pragma once

#include "mime/transfer_codec.h"

namespace vandrel::mime {

class QuotedPrintableCodec : public TransferCodec {
 public:
  int EncodedLength() override;
  int DecodedLength() override { return InputLength(); }
  // May use bytes after the count it returns as scratch, never bytes past the capacity.
  int Encode(char* buffer, int capacity) override;
  int Decode(char* buffer, int capacity) override;
};

}  // namespace vandrel::mime
