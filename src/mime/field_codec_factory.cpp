#include "mime/default_registrations.h"
#include "mime/field_codec.h"

namespace vandrel::mime {

namespace {

CodecRegistry<FieldCodec>& Registry() {
  static CodecRegistry<FieldCodec> registry;
  return registry;
}

template <typename Codec>
std::unique_ptr<FieldCodec> New() {
  return std::make_unique<Codec>();
}

}  // namespace

void RegisterDefaultFieldCodecs() {
  for (const char* name : {"Subject", "Comments", "Content-Description"}) {
    Registry().Register(name, New<TextFieldCodec>);
  }
  for (const char* name : {"From", "To", "Resent-To", "Cc", "Resent-Cc", "Bcc", "Resent-Bcc",
                           "Reply-To", "Resent-Reply-To"}) {
    Registry().Register(name, New<AddressFieldCodec>);
  }
  for (const char* name : {"Content-Type", "Content-Disposition"}) {
    Registry().Register(name, New<ParameterFieldCodec>);
  }
}

std::unique_ptr<FieldCodec> CreateFieldCodec(std::string_view fieldName) {
  EnsureDefaultRegistrations();
  if (const auto creator = Registry().Find(fieldName)) return creator();
  return std::make_unique<FieldCodec>();
}

void RegisterFieldCodec(const char* name, FieldCodecCreator creator) {
  EnsureDefaultRegistrations();
  Registry().Register(name, creator);
}

}  // namespace vandrel::mime
