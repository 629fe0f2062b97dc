#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "mime/base64_codec.h"
#include "mime/quoted_printable_codec.h"
#include "reference_codecs.h"

namespace vandrel::mime::testing {

namespace {

constexpr int kGuardSize = 16;
constexpr char kGuardByte = '\xA5';

}  // namespace

const char* CodecName(CodecKind kind) {
  switch (kind) {
    case CodecKind::kBase64WithLineBreaks:
      return "base64 with line breaks";
    case CodecKind::kBase64:
      return "base64";
    case CodecKind::kQuotedPrintable:
      return "quoted-printable";
  }
  return "?";
}

void PrintTo(CodecKind kind, std::ostream* os) {
  *os << CodecName(kind);
}

std::unique_ptr<TransferCodec> MakeCodec(CodecKind kind) {
  switch (kind) {
    case CodecKind::kBase64WithLineBreaks:
      return std::make_unique<Base64Codec>(true);
    case CodecKind::kBase64:
      return std::make_unique<Base64Codec>(false);
    case CodecKind::kQuotedPrintable:
      return std::make_unique<QuotedPrintableCodec>();
  }
  return nullptr;
}

std::string ReferenceOutput(CodecKind kind, std::string_view input, bool encode, int capacity) {
  if (kind == CodecKind::kQuotedPrintable) {
    return encode ? reference::QuotedPrintableEncode(input, capacity)
                  : reference::QuotedPrintableDecode(input, capacity);
  }
  return encode ? reference::Base64Encode(input, kind == CodecKind::kBase64WithLineBreaks, capacity)
                : reference::Base64Decode(input, capacity);
}

int OutputBound(TransferCodec& codec, std::string_view input, bool encode) {
  codec.SetInput(input.data(), static_cast<int>(input.size()), encode);
  return codec.OutputLength();
}

std::string RunCodec(TransferCodec& codec, std::string_view input, bool encode, int capacity) {
  const std::size_t size = static_cast<std::size_t>(std::max(capacity, 0));
  std::vector<char> buffer(size + kGuardSize, kGuardByte);
  codec.SetInput(input.data(), static_cast<int>(input.size()), encode);
  const int written =
      encode ? codec.Encode(buffer.data(), capacity) : codec.Decode(buffer.data(), capacity);
  const bool guardIntact = std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(size),
                                       buffer.end(), [](char c) { return c == kGuardByte; });
  if (!guardIntact) ADD_FAILURE() << "wrote past a capacity of " << capacity;
  if (written < 0 || written > std::max(capacity, 0)) {
    ADD_FAILURE() << "returned " << written << " for a capacity of " << capacity;
    return {};
  }
  return std::string(buffer.data(), static_cast<std::size_t>(written));
}

std::string EncodeAll(CodecKind kind, std::string_view input) {
  auto codec = MakeCodec(kind);
  return RunCodec(*codec, input, true, OutputBound(*codec, input, true));
}

}  // namespace vandrel::mime::testing
