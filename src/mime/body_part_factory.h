// Creates body parts by media type name. Nothing registers a special part type, so every name
// gives a plain MimePart; the registry is there for parts that need one.
#pragma once

#include <memory>
#include <string_view>

#include "mime/codec_registry.h"

namespace vandrel::mime {

class MimePart;

using BodyPartCreator = CodecRegistry<MimePart>::Creator;

// An empty name counts as "text".
std::unique_ptr<MimePart> CreateBodyPart(std::string_view mediaTypeName);

// Replaces the entries of that name; a null creator only removes them.
void RegisterBodyPart(const char* name, BodyPartCreator creator);

}  // namespace vandrel::mime
