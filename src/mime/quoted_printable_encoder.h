// One pass of quoted-printable encoding in text mode into a caller's buffer: CR LF pass through,
// lines longer than 76 characters get a soft break, preferably after their last blank.
#pragma once

namespace vandrel::mime {

class QuotedPrintableEncoder {
 public:
  // The input and the buffer are not owned; nothing is written past `capacity` bytes, though
  // bytes after the count that Run returns may have been used as scratch.
  QuotedPrintableEncoder(const unsigned char* input, int length, char* buffer, int capacity)
      : in_(input), length_(length), buffer_(buffer), capacity_(capacity) {}

  // Encodes the whole input, or as much as fits; returns the bytes written.
  int Run();

 private:
  bool BlankIsEscaped(int i) const;
  bool DotIsEscaped(int i) const;
  bool MustEscape(int i) const;
  void EncodeRun();
  bool Step();
  void SoftBreak(int width);

  const unsigned char* in_;
  int length_;
  char* buffer_;
  int capacity_;
  int i_ = 0;
  int out_ = 0;
  int lineLength_ = 0;
  int breakCandidate_ = -1;  // output position of the last blank written on this line
};

}  // namespace vandrel::mime
