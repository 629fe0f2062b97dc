#include "engine/writing/mbx_files.h"

#include <gtest/gtest.h>

#include "engine/thunderbird/thunderbird_names.h"

namespace vandrel {
namespace {

TEST(MbxFilesTest, MbxFilesAreNamedSoThatThunderbirdOpensThem) {
  MbxFiles files("/out/mail.mbx");
  EXPECT_EQ(files.FileFor("Sent Items", "Sent_Items"), "/out/mailSent_Items.mbx");
  EXPECT_EQ(files.FileFor("Sent_Items", "Sent_Items"), "/out/mailSent_Items-2.mbx");
  EXPECT_EQ(files.FileFor("a;b", "a;b"), "/out/" + ThunderbirdFileName("maila;b") + ".mbx");
  const std::string longName(60, 'L');
  EXPECT_EQ(files.FileFor(longName, longName),
            "/out/" + ThunderbirdFileName("mail" + longName) + ".mbx");
  EXPECT_EQ(files.Description(), "/out/mail.mbx");
}

}  // namespace
}  // namespace vandrel
