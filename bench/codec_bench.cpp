#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "mime/base64_codec.h"
#include "mime/quoted_printable_codec.h"

namespace vandrel::mime {
namespace {

constexpr int kMiB = 1 << 20;

std::string RandomBytes(int n) {
  std::mt19937 rng(1);
  std::string s(static_cast<std::size_t>(n), '\0');
  for (char& c : s)
    c = static_cast<char>(rng() & 0xFF);
  return s;
}

// Prose from `words` with CR LF line ends after at most `width` characters.
template <std::size_t N>
std::string Prose(int n, const char* const (&words)[N], int width) {
  std::mt19937 rng(2);
  std::string s;
  int column = 0;
  while (static_cast<int>(s.size()) < n) {
    const std::string w = words[rng() % std::size(words)];
    if (column + static_cast<int>(w.size()) > width) {
      s += "\r\n";
      column = 0;
    } else if (column > 0) {
      s += ' ';
      ++column;
    }
    s += w;
    column += static_cast<int>(w.size());
  }
  s.resize(static_cast<std::size_t>(n));
  return s;
}

// German-looking prose with a few Latin-1 letters and the odd "=".
std::string SampleText(int n) {
  static const char* const words[] = {
      "Gr\xFC\xDF"
      "e",
      "aus",
      "der",
      "Stadt",
      "und",
      "das",
      "Wetter",
      "ist",
      "sch\xF6n",
      "heute,",
      "morgen",
      "a=b",
      "Nachricht",
      "mit"};
  return Prose(n, words, 70);
}

// English prose: nothing to escape, only line ends and the blanks between words.
std::string AsciiText(int n) {
  static const char* const words[] = {"the",    "meeting", "is",   "moved", "to",     "Monday,",
                                      "please", "bring",   "your", "notes", "report", "(draft)"};
  return Prose(n, words, 70);
}

// Prose in an 8-bit code page of another script: most bytes are escaped.
std::string EightBitText(int n) {
  static const char* const words[] = {"\xCF\xF0\xE8\xE2\xE5\xF2",
                                      "\xE8",
                                      "\xEC\xE8\xF0",
                                      "\xE4\xEE\xEC",
                                      "\xE7\xE0\xE2\xF2\xF0\xE0,",
                                      "\xEF\xEE\xE3\xEE\xE4\xE0",
                                      "2001"};
  return Prose(n, words, 70);
}

// Paragraphs of prose without line ends, so every line gets a soft break after a blank.
std::string LongLines(int n) {
  static const char* const words[] = {
      "Gr\xFC\xDF"
      "e",
      "aus",
      "der",
      "Stadt",
      "und",
      "Wetter"};
  return Prose(n, words, 1000);
}

template <typename Codec>
void RunCodec(benchmark::State& state, Codec& codec, const std::string& input, bool encode) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), encode);
  std::vector<char> out(static_cast<std::size_t>(codec.OutputLength()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(codec.Output(out.data(), static_cast<int>(out.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
}

std::string Encoded(TransferCodec& codec, const std::string& input) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), true);
  std::string out(static_cast<std::size_t>(codec.EncodedLength()), '\0');
  out.resize(static_cast<std::size_t>(codec.Encode(out.data(), static_cast<int>(out.size()))));
  return out;
}

void BM_Base64Encode(benchmark::State& state, std::string input) {
  Base64Codec codec(true);
  RunCodec(state, codec, input, true);
}

void BM_Base64Decode(benchmark::State& state, std::string input) {
  Base64Codec codec(true);
  const std::string encoded = Encoded(codec, input);
  RunCodec(state, codec, encoded, false);
}

void BM_QuotedPrintableEncode(benchmark::State& state, std::string input) {
  QuotedPrintableCodec codec;
  RunCodec(state, codec, input, true);
}

void BM_QuotedPrintableEncodedLength(benchmark::State& state, std::string input) {
  QuotedPrintableCodec codec;
  codec.SetInput(input.data(), static_cast<int>(input.size()), true);
  for (auto _ : state)
    benchmark::DoNotOptimize(codec.EncodedLength());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
}

void BM_QuotedPrintableDecode(benchmark::State& state, std::string input) {
  QuotedPrintableCodec codec;
  const std::string encoded = Encoded(codec, input);
  RunCodec(state, codec, encoded, false);
}

BENCHMARK_CAPTURE(BM_Base64Encode, text, SampleText(kMiB));
BENCHMARK_CAPTURE(BM_Base64Encode, random, RandomBytes(kMiB));
BENCHMARK_CAPTURE(BM_Base64Decode, text, SampleText(kMiB));
BENCHMARK_CAPTURE(BM_Base64Decode, random, RandomBytes(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncode, text, SampleText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncode, ascii, AsciiText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncode, long_lines, LongLines(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncode, eight_bit, EightBitText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncode, random, RandomBytes(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableEncodedLength, text, SampleText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableDecode, text, SampleText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableDecode, ascii, AsciiText(kMiB));
BENCHMARK_CAPTURE(BM_QuotedPrintableDecode, random, RandomBytes(kMiB));

}  // namespace
}  // namespace vandrel::mime

BENCHMARK_MAIN();
