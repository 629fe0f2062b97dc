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
  bool HasRoomForALine(int out) const;
  void EncodeRun();
  bool Step();
  int LastBlankOnLine(int out, int line) const;
  int SoftBreak(int out, int line, int width, int blank);

  const unsigned char* in_;
  int length_;
  char* buffer_;
  int capacity_;
  int i_ = 0;
  int out_ = 0;
  int lineLength_ = 0;  // output bytes since the last line end or soft break
};

}  // namespace vandrel::mime
