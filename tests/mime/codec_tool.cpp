// Runs the library's transfer codecs over a batch of inputs for cross_check_codecs.py.
// Usage: vandrel_codec_tool base64-encode|base64-decode|qp-encode|qp-decode
// Standard input and output hold records: the length in decimal, LF, then that many bytes.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/base64_codec.h"
#include "mime/quoted_printable_codec.h"

using namespace vandrel::mime;

namespace {

struct Mode {
  std::string_view name;
  bool base64;
  bool encode;
};

constexpr Mode kModes[] = {{"base64-encode", true, true},
                           {"base64-decode", true, false},
                           {"qp-encode", false, true},
                           {"qp-decode", false, false}};

// The records of `data`, or nothing when it is not a sequence of whole records.
std::optional<std::vector<std::string>> ParseRecords(const std::string& data) {
  std::vector<std::string> records;
  std::size_t at = 0;
  while (at < data.size()) {
    const std::size_t newline = data.find('\n', at);
    if (newline == std::string::npos || newline == at || newline - at > 9) return std::nullopt;
    std::size_t length = 0;
    for (std::size_t i = at; i < newline; ++i) {
      if (data[i] < '0' || data[i] > '9') return std::nullopt;
      length = length * 10 + static_cast<std::size_t>(data[i] - '0');
    }
    if (data.size() - (newline + 1) < length) return std::nullopt;
    records.push_back(data.substr(newline + 1, length));
    at = newline + 1 + length;
  }
  return records;
}

std::string Run(const Mode& mode, const std::string& input) {
  std::unique_ptr<TransferCodec> codec;
  if (mode.base64) {
    codec = std::make_unique<Base64Codec>(true);
  } else {
    codec = std::make_unique<QuotedPrintableCodec>();
  }
  codec->SetInput(input.data(), static_cast<int>(input.size()), mode.encode);
  std::string output(static_cast<std::size_t>(codec->OutputLength()), '\0');
  output.resize(
      static_cast<std::size_t>(codec->Output(output.data(), static_cast<int>(output.size()))));
  return output;
}

}  // namespace

int main(int argc, char** argv) {
  const Mode* mode = nullptr;
  for (const Mode& m : kModes) {
    if (argc == 2 && m.name == argv[1]) mode = &m;
  }
  if (mode == nullptr) {
    std::cerr << "usage: vandrel_codec_tool base64-encode|base64-decode|qp-encode|qp-decode\n";
    return 2;
  }
  const std::string data{std::istreambuf_iterator<char>(std::cin),
                         std::istreambuf_iterator<char>()};
  const auto records = ParseRecords(data);
  if (!records) {
    std::cerr << "vandrel_codec_tool: standard input is not a sequence of records\n";
    return 2;
  }
  for (const std::string& record : *records) {
    const std::string output = Run(*mode, record);
    std::cout << output.size() << '\n';
    std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
  }
  return std::cout.flush() ? 0 : 1;
}
