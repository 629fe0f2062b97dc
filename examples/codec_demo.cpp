// Shows the MIME library's transfer encodings on a line of text given as the first argument.
#include <iostream>
#include <string>

#include "mime/transfer_codec_factory.h"

using namespace vandrel::mime;

namespace {

std::string Run(TransferCodec& codec, const std::string& input, bool encode) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), encode);
  std::string out(static_cast<std::size_t>(codec.OutputLength()), '\0');
  out.resize(static_cast<std::size_t>(codec.Output(out.data(), static_cast<int>(out.size()))));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string text = argc > 1 ? argv[1] : "Gr\xFC\xDF" "e aus K\xF6ln = 100% Calypso";
  for (const char* name : {"quoted-printable", "base64"}) {
    auto codec = CreateTransferCodec(name);
    const std::string encoded = Run(*codec, text, true);
    const std::string decoded = Run(*codec, encoded, false);
    std::cout << name << ":\n" << encoded << (encoded.ends_with('\n') ? "" : "\n")
              << "  decodes back " << (decoded == text ? "unchanged" : "CHANGED") << "\n";
  }
  return 0;
}
