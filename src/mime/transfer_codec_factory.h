// Picks the transfer codec for a "Content-Transfer-Encoding" value.
#pragma once

#include <memory>
#include <string_view>

#include "mime/codec_registry.h"
#include "mime/transfer_codec.h"

namespace vandrel::mime {

using TransferCodecCreator = CodecRegistry<TransferCodec>::Creator;

// An empty name means "7bit"; every name that is not registered gets a PlainCodec.
std::unique_ptr<TransferCodec> CreateTransferCodec(std::string_view name);

// Replaces the entries of that name; a null creator only removes them.
void RegisterTransferCodec(const char* name, TransferCodecCreator creator);


}  // namespace vandrel::mime
