#include "mime/transfer_codec_factory.h"

#include <gtest/gtest.h>

#include <string>

#include "mime/base64_codec.h"
#include "mime/plain_codec.h"
#include "mime/quoted_printable_codec.h"

namespace vandrel::mime {
namespace {

TEST(TransferCodecFactoryTest, PicksTheCodecByNameIgnoringCase) {
  for (const char* name : {"", "7bit", "8bit", "binary", "x-uuencode", "base 64"}) {
    EXPECT_NE(dynamic_cast<PlainCodec*>(CreateTransferCodec(name).get()), nullptr) << name;
  }
  for (const char* name : {"base64", "BASE64", "Base64"}) {
    auto codec = CreateTransferCodec(name);
    auto* base64 = dynamic_cast<Base64Codec*>(codec.get());
    ASSERT_NE(base64, nullptr) << name;
    EXPECT_TRUE(base64->lineBreaks());
  }
  for (const char* name : {"quoted-printable", "Quoted-Printable", "QUOTED-PRINTABLE"}) {
    EXPECT_NE(dynamic_cast<QuotedPrintableCodec*>(CreateTransferCodec(name).get()), nullptr) << name;
  }
}

class UpperCaseCodec : public PlainCodec {};

TEST(TransferCodecFactoryTest, RegisteringReplacesAndANullCreatorRemoves) {
  RegisterTransferCodec("X-Test", [] { return std::unique_ptr<TransferCodec>(new UpperCaseCodec); });
  EXPECT_NE(dynamic_cast<UpperCaseCodec*>(CreateTransferCodec("x-test").get()), nullptr);
  RegisterTransferCodec("x-TEST", nullptr);
  auto codec = CreateTransferCodec("X-Test");
  EXPECT_EQ(dynamic_cast<UpperCaseCodec*>(codec.get()), nullptr);
  EXPECT_NE(dynamic_cast<PlainCodec*>(codec.get()), nullptr);
}

TEST(TransferCodecFactoryTest, OutputFollowsTheDirectionSetWithTheInput) {
  const std::string text = "Hi!";
  auto codec = CreateTransferCodec("base64");
  char buffer[16];
  codec->SetInput(text.data(), static_cast<int>(text.size()), true);
  EXPECT_EQ(codec->OutputLength(), codec->EncodedLength());
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(codec->Output(buffer, sizeof buffer))), "SGkh\r\n");
  const std::string encoded = "SGkh";
  codec->SetInput(encoded.data(), static_cast<int>(encoded.size()), false);
  EXPECT_EQ(codec->OutputLength(), codec->DecodedLength());
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(codec->Output(buffer, sizeof buffer))), "Hi!");
}

}  // namespace
}  // namespace vandrel::mime
