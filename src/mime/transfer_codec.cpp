#include "mime/transfer_codec.h"

namespace vandrel::mime {

void TransferCodec::SetInput(const char* data, int length, bool encode) {
  input_ = data;
  inputLength_ = (data == nullptr || length < 0) ? 0 : length;
  encode_ = encode;
}

int TransferCodec::OutputLength() { return encode_ ? EncodedLength() : DecodedLength(); }

int TransferCodec::Output(char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  return encode_ ? Encode(buffer, capacity) : Decode(buffer, capacity);
}

}  // namespace vandrel::mime
