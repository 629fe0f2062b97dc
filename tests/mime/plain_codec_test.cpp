#include "mime/plain_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "codec_test_support.h"

namespace vandrel::mime {
namespace {

using testing::OutputBound;
using testing::RunCodec;

TEST(PlainCodecTest, CopiesAtMostTheCapacityBothWays) {
  const std::string input = std::string("he\0l\r\n\xFF", 7);
  const struct {
    int capacity;
    std::string expected;
  } rows[] = {{-1, ""}, {0, ""}, {3, input.substr(0, 3)}, {7, input}, {20, input}};
  for (bool encode : {true, false}) {
    PlainCodec codec;
    EXPECT_EQ(OutputBound(codec, input, encode), 7);
    for (const auto& row : rows) {
      EXPECT_EQ(RunCodec(codec, input, encode, row.capacity), row.expected) << row.capacity;
    }
  }
}

}  // namespace
}  // namespace vandrel::mime
