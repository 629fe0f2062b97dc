// The codec interface of the MIME library: the caller sets an input, asks for an upper bound of
// the output, sizes a buffer with it and lets the codec fill the buffer in one pass.
#pragma once

namespace vandrel::mime {

class TransferCodec {
 public:
  virtual ~TransferCodec() = default;

  // The input is not copied; the caller keeps it alive while the codec is used.
  // A negative length counts as an empty input.
  void SetInput(const char* data, int length, bool encode);

  int OutputLength();
  int Output(char* buffer, int capacity);

  virtual int EncodedLength() = 0;
  virtual int DecodedLength() = 0;
  // Both write at most `capacity` bytes and return the count written; no NUL is appended.
  virtual int Encode(char* buffer, int capacity) = 0;
  virtual int Decode(char* buffer, int capacity) = 0;

 protected:
  const char* Input() const { return input_; }
  int InputLength() const { return inputLength_; }
  bool IsEncoding() const { return encode_; }

 private:
  const char* input_ = nullptr;
  int inputLength_ = 0;
  bool encode_ = false;
};

}  // namespace vandrel::mime
