// RFC 2047 encoded words ("=?charset?B?...?=" and "=?charset?Q?...?="), built on the base64 and
// quoted-printable codecs.
#pragma once

#include <string>
#include <string_view>
#include <utility>

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

  // Words hold at most 75 characters, so a charset name leaves room for text only up to this
  // length. Longer names (they come only from read messages) are not encoded at all: the value
  // is copied unchanged, as with no charset.
  static constexpr std::size_t kMaxCharsetLength = 63;
  static bool EncodesWith(std::string_view charsetName) {
    return !charsetName.empty() && charsetName.size() <= kMaxCharsetLength;
  }

 private:
  int EncodeB(char* buffer, int capacity);
  int EncodeQ(char* buffer, int capacity);
  int DecodeText(char letter, const char* text, int length, char* buffer, int capacity);
};

}  // namespace vandrel::mime
