// Random inputs for the codec tests, shaped after what the codecs meet and where their rules
// have corners: line ends, blanks before them, lone full stops, long words, odd "=" sequences.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace vandrel::mime::testing {

enum class InputShape {
  kRandomBytes,
  kPrintableAscii,
  kTextWithCrLf,         // words, Latin-1 letters, "=", tabs; lines of any length, some blank
  kBlankAndDotLines,     // lines of blanks and full stops, ended by CR LF, LF or CR
  kLongWords,            // one short word and a blank, then runs of 60 to 80 letters and escapes
  kBase64Like,           // alphabet bytes with line ends and the odd pad, blank or foreign byte
  kQuotedPrintableLike,  // "=XY" in every case, soft breaks, "=" LF, a trailing "="
};

inline const std::vector<InputShape>& AllShapes() {
  static const std::vector<InputShape> shapes = {
      InputShape::kRandomBytes,        InputShape::kPrintableAscii, InputShape::kTextWithCrLf,
      InputShape::kBlankAndDotLines,   InputShape::kLongWords,      InputShape::kBase64Like,
      InputShape::kQuotedPrintableLike};
  return shapes;
}

const char* ShapeName(InputShape shape);

// About `size` bytes of the given shape (exactly `size` for most shapes).
std::string MakeInput(InputShape shape, int size, std::mt19937& rng);

}  // namespace vandrel::mime::testing
