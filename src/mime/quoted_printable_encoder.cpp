#include "mime/quoted_printable_encoder.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vandrel::mime {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMaxLine = 76;

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
// Line ends get a width no line can take, so that they always leave the fast path.
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

// Encodes bytes whose form the byte alone decides while they leave the line short of the break
// check; each does exactly what Step would do with it. Near the end of the buffer Step takes
// over, so the run needs no capacity check: a line never holds more than 75 bytes here.
void QuotedPrintableEncoder::EncodeRun() {
  if (capacity_ - out_ < kMaxLine + 3 || (in_[i_] == '.' && DotIsEscaped(i_))) return;
  // Locals, because every byte stored through the char buffer could alias the members. Inside
  // the run a full stop never follows a line end, so it is always literal.
  const unsigned char* in = in_;
  char* to = buffer_;
  const int length = length_;
  int i = i_;
  int out = out_;
  int line = lineLength_;
  int candidate = breakCandidate_;
  while (i < length) {
    const unsigned char c = in[i];
    const Form& form = kForms[c];
    if (line + form.width >= kMaxLine) break;
    candidate = kKinds[c] == kBlank ? out : candidate;
    std::memcpy(to + out, form.bytes, 3);
    out += form.width;
    line += form.width;
    ++i;
  }
  // A blank that opens the line is no break point.
  if (lineLength_ == 0 && candidate == out_) candidate = breakCandidate_;
  // Only the last byte of the run can be a blank before CR or at the end; Step escapes it and
  // sets the same break candidate again.
  if (i > i_ && kKinds[in[i - 1]] == kBlank && BlankIsEscaped(i - 1)) {
    --i;
    --out;
    --line;
  }
  i_ = i;
  out_ = out;
  lineLength_ = line;
  breakCandidate_ = candidate;
}

// Encodes byte i_ by the full rules; false when an escaped byte no longer fits.
bool QuotedPrintableEncoder::Step() {
  const unsigned char c = in_[i_];
  const bool escaped = MustEscape(i_);
  const std::uint8_t kind = kKinds[c];
  if (kind == kBlank) {
    if (lineLength_ > 0) breakCandidate_ = out_;
  } else if (kind == kLineEnd) {
    lineLength_ = -1;
    breakCandidate_ = -1;
  }
  const int width = escaped ? 3 : 1;
  if (lineLength_ + width >= kMaxLine && capacity_ - out_ >= 3) SoftBreak(width);
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

// Ends the line with "=" CR LF: after the last blank when what follows it still fits on the new
// line together with the next byte (else that line could reach 77 characters), otherwise here.
void QuotedPrintableEncoder::SoftBreak(int width) {
  const int moved = out_ - (breakCandidate_ + 1);
  if (breakCandidate_ >= 0 && breakCandidate_ < out_ && moved + width < kMaxLine) {
    char* after = buffer_ + breakCandidate_ + 1;
    std::memmove(after + 3, after, static_cast<std::size_t>(moved));
    std::memcpy(after, "=\r\n", 3);
    lineLength_ = moved;
  } else {
    std::memcpy(buffer_ + out_, "=\r\n", 3);
    lineLength_ = 0;
  }
  out_ += 3;
  breakCandidate_ = -1;
}

}  // namespace vandrel::mime
