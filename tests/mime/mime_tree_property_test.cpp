#include <gtest/gtest.h>

#include "random_tree.h"

namespace vandrel::mime {
namespace {

TEST(MimeTreePropertyTest, StoreStaysInItsBoundAndLoadGivesTheTreeBack) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 400; ++round) {
    const auto original = testing::RandomMessage(rng);
    std::string text;
    ASSERT_EQ(testing::StoreChecked(*original, text), "") << "round " << round;
    MailMessage loaded;
    ASSERT_EQ(loaded.Load(text), static_cast<int>(text.size())) << "round " << round;
    ASSERT_EQ(testing::CompareTrees(*original, loaded), "") << "round " << round << "\n"
                                                            << text.substr(0, 2000);
  }
}

}  // namespace
}  // namespace vandrel::mime
