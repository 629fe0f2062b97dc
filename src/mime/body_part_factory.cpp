#include "mime/body_part_factory.h"

#include "mime/mime_part.h"

namespace vandrel::mime {

namespace {

CodecRegistry<MimePart>& Registry() {
  static CodecRegistry<MimePart> registry;
  return registry;
}

}  // namespace

std::unique_ptr<MimePart> CreateBodyPart(std::string_view mediaTypeName) {
  if (mediaTypeName.empty()) mediaTypeName = "text";
  if (const auto creator = Registry().Find(mediaTypeName)) return creator();
  return std::make_unique<MimePart>();
}

void RegisterBodyPart(const char* name, BodyPartCreator creator) {
  Registry().Register(name, creator);
}

}  // namespace vandrel::mime
