#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "mime/ascii.h"
#include "mime/field_codec.h"

namespace vandrel::mime {
namespace {

std::type_index KindOf(std::string_view name) {
  const auto codec = CreateFieldCodec(name);
  return std::type_index(typeid(*codec));
}

TEST(FieldCodecFactoryTest, RegistersTheFourteenFieldNames) {
  const std::type_index text = typeid(TextFieldCodec);
  const std::type_index address = typeid(AddressFieldCodec);
  const std::type_index parameter = typeid(ParameterFieldCodec);
  const struct {
    const char* name;
    std::type_index kind;
  } cases[] = {
      {"Subject", text},
      {"Comments", text},
      {"Content-Description", text},
      {"From", address},
      {"To", address},
      {"Resent-To", address},
      {"Cc", address},
      {"Resent-Cc", address},
      {"Bcc", address},
      {"Resent-Bcc", address},
      {"Reply-To", address},
      {"Resent-Reply-To", address},
      {"Content-Type", parameter},
      {"Content-Disposition", parameter},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KindOf(c.name), c.kind) << c.name;
    EXPECT_EQ(KindOf(ToLowerAscii(c.name)), c.kind) << c.name;
  }
  for (const char* name : {"", "X-Mailer", "Date", "Subject:", "Content-Types", "Sender"}) {
    EXPECT_EQ(KindOf(name), std::type_index(typeid(FieldCodec))) << name;
  }
  EXPECT_EQ(KindOf("SUBJECT"), text);
  EXPECT_EQ(KindOf("reply-TO"), address);
}

class UpperCaseFieldCodec : public FieldCodec {};

TEST(FieldCodecFactoryTest, RegisteringReplacesAndANullCreatorRemoves) {
  RegisterFieldCodec("X-Test-Field", [] {
    return std::unique_ptr<FieldCodec>(std::make_unique<UpperCaseFieldCodec>());
  });
  EXPECT_EQ(KindOf("x-test-field"), std::type_index(typeid(UpperCaseFieldCodec)));
  RegisterFieldCodec("x-TEST-field", nullptr);
  EXPECT_EQ(KindOf("X-Test-Field"), std::type_index(typeid(FieldCodec)));
}

}  // namespace
}  // namespace vandrel::mime
