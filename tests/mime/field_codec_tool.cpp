// Runs header field values through the field codecs for checks by other programs. Reads
// requests on stdin until its end and answers each on stdout:
//   "encode FIELD CHARSET LENGTH\n" and LENGTH value bytes  ->  "COUNT\n" and the encoded bytes
//   "decode FIELD LENGTH\n" and LENGTH encoded bytes        ->  "COUNT\n" and the decoded bytes
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "mime/field_codec.h"

namespace {

std::string RunCodec(const std::string& field, const std::string* charset,
                     const std::string& input) {
  auto codec = vandrel::mime::CreateFieldCodec(field);
  if (charset != nullptr) codec->charset = *charset;
  codec->SetInput(input.data(), static_cast<int>(input.size()), charset != nullptr);
  std::string output(static_cast<std::size_t>(codec->OutputLength()), '\0');
  output.resize(
      static_cast<std::size_t>(codec->Output(output.data(), static_cast<int>(output.size()))));
  return output;
}

}  // namespace

int main() {
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream request(line);
    std::string direction, field, charset;
    std::size_t length = 0;
    request >> direction >> field;
    if (direction == "encode") request >> charset;
    if (!(request >> length) || (direction != "encode" && direction != "decode")) {
      std::cerr << "bad request: " << line << "\n";
      return 2;
    }
    std::string input(length, '\0');
    if (!std::cin.read(input.data(), static_cast<std::streamsize>(length))) return 2;
    const std::string output = RunCodec(field, direction == "encode" ? &charset : nullptr, input);
    std::cout << output.size() << "\n" << output;
  }
  return std::cout.flush() ? 0 : 1;
}
