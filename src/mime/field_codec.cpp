#include "mime/field_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "mime/char_class.h"
#include "mime/encoded_word_codec.h"
#include "mime/field_segment.h"
#include "mime/length_bound.h"

namespace vandrel::mime {

namespace {

constexpr char kFold[] = "\r\n\t";
constexpr int kFoldLength = 3;

int CopyPrefix(const char* from, int length, char* to, int room) {
  const int n = std::max(0, std::min(length, room));
  if (n > 0) std::memcpy(to, from, static_cast<std::size_t>(n));
  return n;
}

EncodedWordCodec WordCodecFor(const char* text, const FieldSegment& segment,
                              const std::string& charset) {
  EncodedWordCodec word(ChooseWordEncoding(segment.length, segment.nonAscii), charset);
  word.SetInput(text, segment.length, true);
  return word;
}

// Writes the segment's text, or as much of it as fits; the encoded form when it holds 8-bit
// bytes. Returns the bytes written.
int WriteSegmentText(const char* text, const FieldSegment& segment, const std::string& charset,
                     char* buffer, int room) {
  if (segment.nonAscii == 0) return CopyPrefix(text, segment.length, buffer, room);
  EncodedWordCodec word = WordCodecFor(text, segment, charset);
  const int bound = word.EncodedLength();
  if (bound <= room) return word.Encode(buffer, room);
  // Too little room: write the start of the words the full buffer would have got.
  std::string whole(static_cast<std::size_t>(bound), '\0');
  const int n = word.Encode(whole.data(), bound);
  return CopyPrefix(whole.data(), n, buffer, room);
}

}  // namespace

int FieldCodec::EncodedLength() {
  if (!EncodedWordCodec::EncodesWith(charset)) return InputLength();
  const char* in = Input();
  const int length = InputLength();
  std::int64_t total = 0;
  int closer = InitialCloser();
  for (int pos = 0; pos < length;) {
    const FieldSegment segment = NextFieldSegment(in + pos, length - pos, closer);
    total += segment.nonAscii > 0 ? WordCodecFor(in + pos, segment, charset).EncodedLength()
                                  : segment.length;
    if (segment.hasEnder && IsDelimiter(segment.ender)) total += kFoldLength;
    total += 1;
    pos += segment.consumed();
  }
  return ClampLength(total);
}

// The output under any capacity is the start of what a buffer of EncodedLength bytes gets.
int FieldCodec::Encode(char* buffer, int capacity) {
  const char* in = Input();
  const int length = InputLength();
  if (!EncodedWordCodec::EncodesWith(charset)) return CopyPrefix(in, length, buffer, capacity);
  int out = 0;
  int closer = InitialCloser();
  for (int pos = 0; pos < length && out < capacity;) {
    const FieldSegment segment = NextFieldSegment(in + pos, length - pos, closer);
    out += WriteSegmentText(in + pos, segment, charset, buffer + out, capacity - out);
    if (segment.hasEnder && out < capacity) buffer[out++] = segment.ender;
    pos += segment.consumed();
    if (pos >= length || !segment.hasEnder || !IsDelimiter(segment.ender)) continue;
    if (capacity - out < kFoldLength) break;
    std::memcpy(buffer + out, kFold, kFoldLength);
    out += kFoldLength;
    while (pos < length && IsSpaceChar(in[pos]))
      ++pos;
  }
  return out;
}

int FieldCodec::Decode(char* buffer, int capacity) {
  EncodedWordCodec words;
  words.SetInput(Input(), InputLength(), false);
  int n;
  if (capacity >= InputLength()) {
    n = words.Decode(buffer, capacity);
  } else {
    // Decode the whole value anyway, so the charset does not depend on the buffer size.
    std::string whole(static_cast<std::size_t>(InputLength()), '\0');
    n = CopyPrefix(whole.data(), words.Decode(whole.data(), InputLength()), buffer, capacity);
  }
  charset = words.charset;
  return n;
}

bool FieldCodec::IsDelimiter(char) const {
  return false;
}
int FieldCodec::InitialCloser() const {
  return 0;
}

bool TextFieldCodec::IsDelimiter(char) const {
  return false;
}
int TextFieldCodec::InitialCloser() const {
  return kNeverSplit;
}

bool AddressFieldCodec::IsDelimiter(char c) const {
  return c == ',' || c == ':';
}

bool ParameterFieldCodec::IsDelimiter(char c) const {
  return c == ';';
}

}  // namespace vandrel::mime
