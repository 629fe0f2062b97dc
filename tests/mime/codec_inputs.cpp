#include "codec_inputs.h"

namespace vandrel::mime::testing {

namespace {

int Below(std::mt19937& rng, int n) {
  return static_cast<int>(rng() % static_cast<unsigned>(n));
}

template <typename T, std::size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N]) {
  return items[static_cast<std::size_t>(Below(rng, static_cast<int>(N)))];
}

std::string RandomBytes(int size, std::mt19937& rng) {
  std::string s(static_cast<std::size_t>(size), '\0');
  for (char& c : s) {
    c = static_cast<char>(rng() & 0xFF);
  }
  return s;
}

std::string PrintableAscii(int size, std::mt19937& rng) {
  std::string s;
  while (static_cast<int>(s.size()) < size) {
    if (Below(rng, 60) == 0) {
      s += "\r\n";
    } else {
      s += static_cast<char>(0x20 + Below(rng, 0x5F));
    }
  }
  return s;
}

std::string TextWithCrLf(int size, std::mt19937& rng) {
  static const char* const kWords[] = {
      "Gr\xFC\xDF"
      "e",
      "aus",
      "K\xF6ln",
      "a=b",
      "100%",
      "Ende.",
      "x",
      "\t",
      "=",
      "Nachricht",
      "caf\xE9",
      "--",
      "..",
      "(ok)"};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", " \r\n", "\t\r\n", "\r\n\r\n", "\n"};
  std::string s;
  int lineWords = 1 + Below(rng, 25);
  while (static_cast<int>(s.size()) < size) {
    s += Pick(rng, kWords);
    if (--lineWords == 0) {
      s += Pick(rng, kEnds);
      lineWords = 1 + Below(rng, 25);
    } else {
      s += Below(rng, 8) == 0 ? "\t" : " ";
    }
  }
  return s;
}

std::string BlankAndDotLines(int size, std::mt19937& rng) {
  static const char* const kLines[] = {"", ".", ".", " ", "\t", "..", " .", ". ", "a.", "  "};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
  std::string s;
  while (static_cast<int>(s.size()) < size) {
    s += Pick(rng, kLines);
    s += Pick(rng, kEnds);
  }
  return s;
}

std::string LongWords(int size, std::mt19937& rng) {
  std::string s;
  while (static_cast<int>(s.size()) < size) {
    s += std::string(static_cast<std::size_t>(1 + Below(rng, 3)), 'a');
    s += Below(rng, 4) == 0 ? '\t' : ' ';
    const int run = 60 + Below(rng, 21);
    for (int k = 0; k < run; ++k) {
      s += Below(rng, 10) == 0 ? '\xE4' : 'x';
    }
    if (Below(rng, 6) == 0) s += "\r\n";
  }
  return s;
}

std::string Base64Like(int size, std::mt19937& rng) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  static const char* const kOdd[] = {"\r\n", "\r\n", "\n", "\r",   "=",
                                     " ",    "\t",   "-",  "\x80", "\xFF"};
  std::string s;
  while (static_cast<int>(s.size()) < size) {
    if (Below(rng, 40) == 0) {
      s += Pick(rng, kOdd);
    } else {
      s += kAlphabet[Below(rng, 64)];
    }
  }
  return s;
}

std::string QuotedPrintableLike(int size, std::mt19937& rng) {
  static const char* const kPieces[] = {"=41", "=4a", "=a1", "=E9", "=3D", "=\r\n", "=\n",  "=\r",
                                        "=G0", "=4!", "==",  "a",   "b",   " ",     "\r\n", "\xE9"};
  std::string s;
  while (static_cast<int>(s.size()) < size) {
    s += Pick(rng, kPieces);
  }
  if (Below(rng, 3) == 0) s += Below(rng, 2) == 0 ? "=" : "=4";
  return s;
}

}  // namespace

const char* ShapeName(InputShape shape) {
  switch (shape) {
    case InputShape::kRandomBytes:
      return "random bytes";
    case InputShape::kPrintableAscii:
      return "printable ASCII";
    case InputShape::kTextWithCrLf:
      return "text with CR LF";
    case InputShape::kBlankAndDotLines:
      return "blank and dot lines";
    case InputShape::kLongWords:
      return "long words";
    case InputShape::kBase64Like:
      return "base64-like";
    case InputShape::kQuotedPrintableLike:
      return "quoted-printable-like";
  }
  return "?";
}

std::string MakeInput(InputShape shape, int size, std::mt19937& rng) {
  switch (shape) {
    case InputShape::kRandomBytes:
      return RandomBytes(size, rng);
    case InputShape::kPrintableAscii:
      return PrintableAscii(size, rng);
    case InputShape::kTextWithCrLf:
      return TextWithCrLf(size, rng);
    case InputShape::kBlankAndDotLines:
      return BlankAndDotLines(size, rng);
    case InputShape::kLongWords:
      return LongWords(size, rng);
    case InputShape::kBase64Like:
      return Base64Like(size, rng);
    case InputShape::kQuotedPrintableLike:
      return QuotedPrintableLike(size, rng);
  }
  return {};
}

}  // namespace vandrel::mime::testing
