#include "mime/transfer_codec_factory.h"

#include "mime/base64_codec.h"
#include "mime/default_registrations.h"
#include "mime/plain_codec.h"
#include "mime/quoted_printable_codec.h"

namespace vandrel::mime {

namespace {

CodecRegistry<TransferCodec>& Registry() {
  static CodecRegistry<TransferCodec> registry;
  return registry;
}

std::unique_ptr<TransferCodec> NewQuotedPrintable() { return std::make_unique<QuotedPrintableCodec>(); }
std::unique_ptr<TransferCodec> NewBase64WithLineBreaks() { return std::make_unique<Base64Codec>(true); }

}  // namespace

void RegisterDefaultTransferCodecs() {
  Registry().Register("quoted-printable", NewQuotedPrintable);
  Registry().Register("base64", NewBase64WithLineBreaks);
}

std::unique_ptr<TransferCodec> CreateTransferCodec(std::string_view name) {
  EnsureDefaultRegistrations();
  if (name.empty()) name = "7bit";
  if (const auto creator = Registry().Find(name)) return creator();
  return std::make_unique<PlainCodec>();
}

void RegisterTransferCodec(const char* name, TransferCodecCreator creator) {
  EnsureDefaultRegistrations();
  Registry().Register(name, creator);
}

}  // namespace vandrel::mime
