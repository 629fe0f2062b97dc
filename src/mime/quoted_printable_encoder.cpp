#include "mime/quoted_printable_encoder.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "mime/byte_words.h"

namespace vandrel::mime {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMaxLine = 76;
// Where eight bytes hold this many that are not plain, the text is dense with escapes, and the
// bytes that follow go one at a time for a stretch before words are tried again.
constexpr int kDenseWord = 4;
constexpr int kDenseStretch = 32;

// How a byte is written as far as the byte alone tells: a blank is escaped before CR and at the
// end, and a full stop alone on its line is escaped; both need a look at their neighbours.
enum ByteKind : std::uint8_t { kLiteral = 0, kBlank = 1, kLineEnd = 2, kEscaped = 3 };

constexpr std::array<std::uint8_t, 256> MakeKindTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    std::uint8_t kind = (c >= 0x21 && c <= 0x7E && c != '=') ? kLiteral : kEscaped;
    if (c == ' ' || c == '\t') kind = kBlank;
    if (c == '\r' || c == '\n') kind = kLineEnd;
    table[static_cast<std::size_t>(c)] = kind;
  }
  return table;
}

constexpr auto kKinds = MakeKindTable();

// What a byte becomes when its neighbours do not matter: itself, or "=" and two hex digits.
// Line ends get a width no line can take, so that they always leave the byte loop.
struct Form {
  char bytes[3];
  std::uint8_t width;
};

constexpr std::array<Form, 256> MakeFormTable() {
  std::array<Form, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t kind = kKinds[static_cast<std::size_t>(c)];
    if (kind == kEscaped) {
      table[static_cast<std::size_t>(c)] = Form{{'=', kHexDigits[c >> 4], kHexDigits[c & 0x0F]}, 3};
    } else {
      const auto width = static_cast<std::uint8_t>(kind == kLineEnd ? kMaxLine : 1);
      table[static_cast<std::size_t>(c)] = Form{{static_cast<char>(c), 0, 0}, width};
    }
  }
  return table;
}

constexpr auto kForms = MakeFormTable();

// Bytes that are literals wherever they stand on a line: printable ASCII but "=", and the space
// (one before CR or at the end is taken back afterwards). A full stop is among them: only one
// right after a line end can stand alone on its line, and the run looks at that one first.
std::uint64_t MarkNotPlain(std::uint64_t word) {
  const std::uint64_t low = word & kLowBits;
  return MarkHighBytes(word) | MarkBelow(low, 0x20) | MarkAbove(low, 0x7E) | MarkEqual(low, '=');
}

std::uint64_t MarkBlanks(std::uint64_t word) {
  const std::uint64_t low = word & kLowBits;
  return (MarkEqual(low, ' ') | MarkEqual(low, '\t')) & ~MarkHighBytes(word);
}

}  // namespace

int QuotedPrintableEncoder::Run() {
  while (i_ < length_ && out_ < capacity_) {
    EncodeRun();
    if (i_ == length_ || out_ == capacity_) break;
    if (!Step()) break;
  }
  return out_;
}

bool QuotedPrintableEncoder::BlankIsEscaped(int i) const {
  return i + 1 == length_ || in_[i + 1] == '\r';
}

// A full stop alone on a line, CR LF on both sides.
bool QuotedPrintableEncoder::DotIsEscaped(int i) const {
  return i >= 2 && in_[i - 2] == '\r' && in_[i - 1] == '\n' && i + 2 < length_ &&
         in_[i + 1] == '\r' && in_[i + 2] == '\n';
}

bool QuotedPrintableEncoder::MustEscape(int i) const {
  switch (kKinds[in_[i]]) {
    case kBlank:
      return BlankIsEscaped(i);
    case kLineEnd:
      return false;
    case kEscaped:
      return true;
    default:
      return in_[i] == '.' && DotIsEscaped(i);
  }
}

bool QuotedPrintableEncoder::HasRoomForALine(int out) const {
  return capacity_ - out >= kMaxLine + 3;
}

// Encodes what the bytes alone decide, exactly as Step would byte by byte, line ends and soft
// breaks included, for as long as the buffer has room for a whole line; so it needs no other
// capacity check, as no line holds more than 75 bytes here. Eight bytes are copied at once while
// they are plain and fit on the line; other bytes go one at a time, without branches. Step takes
// over for the few bytes whose neighbours decide: a blank before CR or at the end, a full stop
// alone on its line.
void QuotedPrintableEncoder::EncodeRun() {
  if (!HasRoomForALine(out_) || (in_[i_] == '.' && DotIsEscaped(i_))) return;
  // Locals, because every byte stored through the char buffer could alias the members.
  const unsigned char* in = in_;
  char* to = buffer_;
  const int length = length_;
  const int first = i_;
  int i = i_;
  int out = out_;
  int line = lineLength_;
  while (i < length) {
    int single = 1;  // bytes to take one at a time
    if (line + 8 < kMaxLine && length - i >= 8) {
      // All eight bytes are copied; those after the plain ones are scratch.
      const std::uint64_t notPlain = MarkNotPlain(LoadWord(in + i));
      std::memcpy(to + out, in + i, 8);
      const int plain = notPlain == 0 ? 8 : FirstMarked(notPlain);
      i += plain;
      out += plain;
      line += plain;
      if (notPlain == 0) continue;
      single = SumOfBytes(notPlain >> 7) >= kDenseWord ? kDenseStretch : 1;
    }
    bool lineFull = false;
    for (; single > 0 && i < length; --single) {
      const Form& form = kForms[in[i]];
      lineFull = line + form.width >= kMaxLine;
      if (lineFull) break;
      std::memcpy(to + out, form.bytes, 3);
      out += form.width;
      line += form.width;
      ++i;
    }
    if (!lineFull) continue;
    const unsigned char c = in[i];
    if (kKinds[c] == kLineEnd) {
      if (c == '\r' && i > first && kKinds[in[i - 1]] == kBlank) {
        --i;
        --out;
        --line;
        break;
      }
      to[out++] = static_cast<char>(c);
      ++i;
      if (c == '\r' && i < length && in[i] == '\n') to[out++] = static_cast<char>(in[i++]);
      line = 0;
      if (i < length && in[i] == '.' && DotIsEscaped(i)) break;
    } else {
      // The byte goes on the next line; a blank that needs the break is the last of its line.
      line = SoftBreak(out, line, kForms[c].width, kKinds[c] == kBlank ? out : -1);
      out += 3;
    }
    if (!HasRoomForALine(out)) break;
  }
  // A blank at the very end is escaped; Step writes it.
  if (i == length && i > first && kKinds[in[i - 1]] == kBlank) {
    --i;
    --out;
    --line;
  }
  i_ = i;
  out_ = out;
  lineLength_ = line;
}

// Encodes byte i_ by the full rules; false when an escaped byte no longer fits.
bool QuotedPrintableEncoder::Step() {
  const unsigned char c = in_[i_];
  const bool escaped = MustEscape(i_);
  const std::uint8_t kind = kKinds[c];
  if (kind == kLineEnd) lineLength_ = -1;
  const int width = escaped ? 3 : 1;
  if (lineLength_ + width >= kMaxLine && capacity_ - out_ >= 3) {
    lineLength_ = SoftBreak(out_, lineLength_, width, kind == kBlank ? out_ : -1);
    out_ += 3;
  }
  if (escaped) {
    // Blanks and full stops escape only by their neighbours, so their forms cannot be used here.
    if (capacity_ - out_ < 3) return false;
    buffer_[out_++] = '=';
    buffer_[out_++] = kHexDigits[c >> 4];
    buffer_[out_++] = kHexDigits[c & 0x0F];
    lineLength_ += 3;
  } else {
    // A soft break may have taken the last of the room.
    if (out_ == capacity_) return false;
    buffer_[out_++] = static_cast<char>(c);
    lineLength_ += 1;
  }
  ++i_;
  return true;
}

// Where the last blank of the line that ends at `out` was written, a blank that opens the line
// aside; -1 when there is none. That is the break point Step would have noted byte by byte:
// every blank in the output is one of the input's written as it is, and an escaped blank, which
// shows as "=20" or "=09", stands right before a line end or at the end, where no later byte on
// its line could break after it.
int QuotedPrintableEncoder::LastBlankOnLine(int out, int line) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_);
  const int lineStart = out - line;
  int end = out;
  for (; end - 8 > lineStart; end -= 8) {
    const int last = LastMarked(MarkBlanks(LoadWord(bytes + end - 8)));
    if (last >= 0) return end - 8 + last;
  }
  for (int k = end - 1; k > lineStart; --k) {
    if (kKinds[bytes[k]] == kBlank) return k;
  }
  return -1;
}

// Puts "=" CR LF into the line that ends at `out`, before a byte of `width` that it cannot take:
// after the last blank when what follows it still fits on the new line together with that byte
// (else that line could reach 77 characters), otherwise at the end. `blank` is where the byte
// itself goes when it is a blank, else -1. Returns the length of the new line; the output has
// grown by 3.
int QuotedPrintableEncoder::SoftBreak(int out, int line, int width, int blank) {
  const int candidate = blank >= 0 ? blank : LastBlankOnLine(out, line);
  const int moved = out - (candidate + 1);
  if (candidate >= 0 && candidate < out && moved + width < kMaxLine) {
    char* after = buffer_ + candidate + 1;
    std::memmove(after + 3, after, static_cast<std::size_t>(moved));
    std::memcpy(after, "=\r\n", 3);
    return moved;
  }
  std::memcpy(buffer_ + out, "=\r\n", 3);
  return 0;
}

}  // namespace vandrel::mime
