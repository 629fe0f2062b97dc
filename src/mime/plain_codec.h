// The identity codec: "7bit", "8bit", "binary" and every unregistered encoding name.
#pragma once

#include "mime/transfer_codec.h"

namespace vandrel::mime {

class PlainCodec : public TransferCodec {
 public:
  int EncodedLength() override { return InputLength(); }
  int DecodedLength() override { return InputLength(); }
  int Encode(char* buffer, int capacity) override { return Copy(buffer, capacity); }
  int Decode(char* buffer, int capacity) override { return Copy(buffer, capacity); }

 private:
  int Copy(char* buffer, int capacity);
};

}  // namespace vandrel::mime
