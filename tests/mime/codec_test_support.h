// Runs the library's codecs the way their callers do, but into buffers followed by a guard
// region, so a test sees any byte written past the capacity it passed.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "mime/transfer_codec.h"

namespace vandrel::mime::testing {

enum class CodecKind { kBase64WithLineBreaks, kBase64, kQuotedPrintable };

const char* CodecName(CodecKind kind);
void PrintTo(CodecKind kind, std::ostream* os);
std::unique_ptr<TransferCodec> MakeCodec(CodecKind kind);

// What the byte-at-a-time codec writes for the same call.
std::string ReferenceOutput(CodecKind kind, std::string_view input, bool encode, int capacity);

// The size the codec asks for before an encode or decode of `input`.
int OutputBound(TransferCodec& codec, std::string_view input, bool encode);

// Encodes or decodes `input` into `capacity` bytes and returns what was written. Adds a test
// failure when the codec writes past the capacity or returns a count outside 0..capacity.
std::string RunCodec(TransferCodec& codec, std::string_view input, bool encode, int capacity);

// Encodes into a buffer of the size the codec asks for.
std::string EncodeAll(CodecKind kind, std::string_view input);

}  // namespace vandrel::mime::testing
