// RFC 2045 base64. Decoding skips CR and LF and stops at the first byte outside the alphabet,
// the "=" pad included.
#pragma once

#include "mime/transfer_codec.h"

namespace vandrel::mime {

class Base64Codec : public TransferCodec {
 public:
  // With line breaks, output lines hold 76 characters and every line ends in CR LF.
  explicit Base64Codec(bool lineBreaks = false) : lineBreaks_(lineBreaks) {}

  int EncodedLength() override;
  int DecodedLength() override;
  int Encode(char* buffer, int capacity) override;
  int Decode(char* buffer, int capacity) override;

  bool lineBreaks() const { return lineBreaks_; }

 private:
  bool lineBreaks_;
};

}  // namespace vandrel::mime
