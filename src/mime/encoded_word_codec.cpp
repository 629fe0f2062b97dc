#include "mime/encoded_word_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "mime/ascii.h"
#include "mime/base64_codec.h"
#include "mime/char_class.h"
#include "mime/length_bound.h"
#include "mime/quoted_printable_codec.h"

namespace vandrel::mime {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// A word is at most 75 characters: "=?" charset "?X?" text "?=" leaves 68 - L for the text.
constexpr int kWordTextBudget = 68;
// "=?" + "?X?" + "?=": the bytes of a word besides its charset and text.
constexpr int kWordFrame = 7;

bool IsB(char letter) {
  return letter == 'B' || letter == 'b';
}

// Q text keeps printable ASCII except the bytes that would end or confuse the word; a space
// becomes =20 rather than "_" so that it survives decoders that do not map "_".
bool IsQLiteral(unsigned char c) {
  return c >= 0x21 && c <= 0x7E && c != '=' && c != '?' && c != '_';
}

// Appends to a caller buffer; every caller checks the room before it puts anything.
class ByteSink {
 public:
  ByteSink(char* buffer, int capacity) : buffer_(buffer), capacity_(std::max(capacity, 0)) {}

  int room() const { return capacity_ - size_; }
  int size() const { return size_; }
  char* cursor() { return buffer_ + size_; }
  void Advance(int n) { size_ += n; }
  void Put(char c) { buffer_[size_++] = c; }
  void Put(std::string_view text) {
    std::memcpy(buffer_ + size_, text.data(), text.size());
    size_ += static_cast<int>(text.size());
  }

 private:
  char* buffer_;
  int capacity_;
  int size_ = 0;
};

// One "=?charset?X?text?=" found in the input, as offsets into it. The text is only delimited
// for the letters B and Q; any other letter makes the word plain text.
struct FoundWord {
  int charsetBegin;
  int charsetEnd;
  char letter;  // lower case
  int textBegin;
  int textEnd;
  int next;  // behind the closing "?=", or the end of the input

  bool decodable() const { return letter == 'b' || letter == 'q'; }
};

int FindFrom(const char* in, int length, int from, char c) {
  const void* hit =
      from < length ? std::memchr(in + from, c, static_cast<std::size_t>(length - from)) : nullptr;
  return hit == nullptr ? -1 : static_cast<int>(static_cast<const char*>(hit) - in);
}

// Offset of the first two-byte `pair` that starts at or after `from`, or -1.
int FindPair(const char* in, int length, int from, char first, char second) {
  for (int i = FindFrom(in, length, from, first); i >= 0; i = FindFrom(in, length, i + 1, first)) {
    if (i + 1 < length && in[i + 1] == second) return i;
  }
  return -1;
}

// Where the blank-delimited word that starts at `pos` ends.
int WordEnd(const char* in, int length, int pos) {
  while (pos < length && !IsSpaceChar(in[pos]))
    ++pos;
  return pos;
}

// A word is whole only within its blanks: "=?utf-8?B?Margaret Doyle <m@example.com>" never closes,
// and taking the rest of the value as its text would swallow the address.
std::optional<FoundWord> FindWordAt(const char* in, int length, int pos) {
  if (pos + 1 >= length || in[pos] != '=' || in[pos + 1] != '?') return std::nullopt;
  const int end = WordEnd(in, length, pos);
  const int charsetEnd = FindFrom(in, end, pos + 2, '?');
  if (charsetEnd < 0 || charsetEnd + 3 >= end || in[charsetEnd + 2] != '?') {
    return std::nullopt;
  }
  FoundWord word{pos + 2, charsetEnd, ToLowerAscii(in[charsetEnd + 1]), charsetEnd + 3, 0, 0};
  if (!word.decodable()) return word;
  const int close = FindPair(in, end, word.textBegin, '?', '=');
  if (close < 0) return std::nullopt;
  word.textEnd = close;
  word.next = close + 2;
  return word;
}

bool IsDecodableWordAt(const char* in, int length, int pos) {
  const auto word = FindWordAt(in, length, pos);
  return word && word->decodable();
}

bool AllSpace(const char* begin, const char* end) {
  return std::all_of(begin, end, [](char c) { return IsSpaceChar(c); });
}

}  // namespace

int EncodedWordCodec::EncodedLength() {
  const int length = InputLength();
  if (length == 0) return 0;
  if (!EncodesWith(charset)) return length;
  std::int64_t n;
  if (IsB(encoding)) {
    n = (static_cast<std::int64_t>(length) + 2) / 3 * 4;
  } else {
    // The quoted-printable estimate also covers Q text: Q escapes no byte that it keeps.
    QuotedPrintableCodec qp;
    qp.SetInput(Input(), length, true);
    n = qp.EncodedLength();
  }
  const auto L = static_cast<std::int64_t>(charset.size());
  return ClampLength(n + (n / (64 - L) + 1) * (L + 11));
}

int EncodedWordCodec::Encode(char* buffer, int capacity) {
  if (InputLength() == 0 || capacity <= 0) return 0;
  if (!EncodesWith(charset)) {
    const int n = std::min(InputLength(), capacity);
    std::memcpy(buffer, Input(), static_cast<std::size_t>(n));
    return n;
  }
  return IsB(encoding) ? EncodeB(buffer, capacity) : EncodeQ(buffer, capacity);
}

// Each word carries whole base64 quanta, so a word decodes on its own.
int EncodedWordCodec::EncodeB(char* buffer, int capacity) {
  const int charsetLength = static_cast<int>(charset.size());
  const int frame = charsetLength + kWordFrame;
  const int bytesPerWord = std::max(3, (kWordTextBudget - charsetLength) / 4 * 3);
  const int length = InputLength();
  ByteSink out(buffer, capacity);
  if (out.room() < frame) return 0;
  int pos = 0;
  for (;;) {
    const int take = std::min(bytesPerWord, length - pos);
    out.Put("=?");
    out.Put(charset);
    out.Put("?B?");
    Base64Codec base64(false);
    base64.SetInput(Input() + pos, take, true);
    if (out.room() > 2) out.Advance(base64.Encode(out.cursor(), out.room() - 2));
    out.Put("?=");
    pos += take;
    if (pos >= length || out.room() < 1 + frame) break;
    out.Put(' ');
  }
  return out.size();
}

// The room for a word's closing "?=" is kept from the moment the word begins, so a short
// buffer ends with a complete word rather than half of one.
int EncodedWordCodec::EncodeQ(char* buffer, int capacity) {
  const int charsetLength = static_cast<int>(charset.size());
  const int frame = charsetLength + kWordFrame;
  const int textLimit = kWordTextBudget - charsetLength;
  const auto* in = reinterpret_cast<const unsigned char*>(Input());
  ByteSink out(buffer, capacity);
  bool open = false;
  int used = 0;
  for (int i = 0; i < InputLength(); ++i) {
    const unsigned char c = in[i];
    const int cost = IsQLiteral(c) ? 1 : 3;
    if (open && used + cost > textLimit) {
      if (out.room() < 3 + frame) break;
      out.Put("?= ");
      open = false;
    }
    if (!open) {
      if (out.room() < frame) break;
      out.Put("=?");
      out.Put(charset);
      out.Put("?Q?");
      open = true;
      used = 0;
    }
    if (out.room() - 2 < cost) break;
    if (cost == 1) {
      out.Put(static_cast<char>(c));
    } else {
      out.Put('=');
      out.Put(kHexDigits[c >> 4]);
      out.Put(kHexDigits[c & 0x0F]);
    }
    used += cost;
  }
  if (open) out.Put("?=");
  return out.size();
}

int EncodedWordCodec::Decode(char* buffer, int capacity) {
  charset.clear();
  const char* in = Input();
  const int length = InputLength();
  ByteSink out(buffer, capacity);
  int pos = 0;
  while (pos < length && out.room() > 0) {
    if (const auto word = FindWordAt(in, length, pos)) {
      if (charset.empty()) {
        charset.assign(in + word->charsetBegin, in + word->charsetEnd);
        encoding = word->letter;
      }
      if (word->decodable()) {
        out.Advance(DecodeText(word->letter, in + word->textBegin, word->textEnd - word->textBegin,
                               out.cursor(), out.room()));
        pos = word->next;
        continue;
      }
    }
    const int found = FindPair(in, length, pos + 1, '=', '?');
    const int end = found < 0 ? length : found;
    // Blanks and folds between two encoded words are not part of the text; before anything that
    // is not a word they are ordinary text.
    const bool betweenWords =
        pos > 0 && found >= 0 && AllSpace(in + pos, in + end) && IsDecodableWordAt(in, length, end);
    if (!betweenWords) {
      const int n = std::min(end - pos, out.room());
      out.Put(std::string_view(in + pos, static_cast<std::size_t>(n)));
    }
    pos = end;
  }
  return out.size();
}

int EncodedWordCodec::DecodeText(char letter, const char* text, int length, char* buffer,
                                 int capacity) {
  if (letter == 'b') {
    Base64Codec base64(false);
    base64.SetInput(text, length, false);
    return base64.Decode(buffer, capacity);
  }
  // "_" stands for a space; "=5F" is a real underscore, so the swap happens before decoding.
  std::string q(text, static_cast<std::size_t>(length));
  std::replace(q.begin(), q.end(), '_', ' ');
  QuotedPrintableCodec qp;
  qp.SetInput(q.data(), length, false);
  return qp.Decode(buffer, capacity);
}

}  // namespace vandrel::mime
