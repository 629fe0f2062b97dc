// Field codecs: how one header field value is written and read. With a charset, the segments
// of the value that hold bytes above 0x7F become RFC 2047 encoded words, and address and
// parameter lists are folded after their separators; without one the value is copied unchanged.
// Reading decodes every encoded word and remembers the charset of the first.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "mime/codec_registry.h"
#include "mime/transfer_codec.h"

namespace vandrel::mime {

class FieldCodec : public TransferCodec {
 public:
  // Copied from the header field before encoding; after decoding, the charset the value named.
  std::string charset;

  int EncodedLength() override;
  int DecodedLength() override { return InputLength(); }
  int Encode(char* buffer, int capacity) override;
  int Decode(char* buffer, int capacity) override;

  // A separator after which the encoder folds the line.
  virtual bool IsDelimiter(char c) const;
  // The closer awaited at the start of a value: 0 for none, kNeverSplit for a value that is
  // never split into segments.
  virtual int InitialCloser() const;

  static constexpr int kNeverSplit = 255;
};

// "Subject", "Comments", "Content-Description": one segment, never folded.
class TextFieldCodec : public FieldCodec {
 public:
  bool IsDelimiter(char c) const override;
  int InitialCloser() const override;
};

// Address lists: folded after "," and ":".
class AddressFieldCodec : public FieldCodec {
 public:
  bool IsDelimiter(char c) const override;
};

// "Content-Type", "Content-Disposition": folded after ";".
class ParameterFieldCodec : public FieldCodec {
 public:
  bool IsDelimiter(char c) const override;
};

// Length of the next segment of `text`. `closer` is carried from one call to the next over one
// value; `nonAsciiCount` receives the number of bytes above 0x7F in the segment.
int FindWordEnd(const char* text, int length, int& closer, int& nonAsciiCount);

using FieldCodecCreator = CodecRegistry<FieldCodec>::Creator;

// The codec registered for the field name (ignoring case), or a plain FieldCodec.
std::unique_ptr<FieldCodec> CreateFieldCodec(std::string_view fieldName);

// Replaces the entries of that name; a null creator only removes them.
void RegisterFieldCodec(const char* name, FieldCodecCreator creator);

}  // namespace vandrel::mime
