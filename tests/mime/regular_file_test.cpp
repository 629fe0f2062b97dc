// Reads of every size, small ones served from the file's own buffer and large ones straight into
// the caller's, in any mix, give the file's bytes in order and stop at its end.
#include "mime/regular_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace vandrel::mime {
namespace {

namespace fs = std::filesystem;

constexpr int kKiB = 1024;

TEST(RegularFileTest, ReadsInAnyMixOfSizesGiveTheFileInOrder) {
  const fs::path path = fs::temp_directory_path() /
                        ("vandrel-regular-file-" + std::to_string(std::random_device()()));
  std::string bytes(300 * kKiB + 17, '\0');
  std::mt19937 rng(12);
  for (char& c : bytes)
    c = static_cast<char>(rng());
  std::ofstream(path, std::ios::binary) << bytes;

  const std::vector<std::vector<int>> patterns = {
      {static_cast<int>(bytes.size())},
      {static_cast<int>(bytes.size()) + 100},
      {1, 64 * kKiB, 64 * kKiB - 1, 1, 200 * kKiB},
      {64 * kKiB - 1, 64 * kKiB, 64 * kKiB + 1, 7, 1000 * kKiB},
      {512, 512, 100 * kKiB, 3, 65 * kKiB, 512, 1000 * kKiB},
      {128 * kKiB, 5, 5, 5, 128 * kKiB, 128 * kKiB},
  };
  for (const std::vector<int>& pattern : patterns) {
    RegularFile file;
    ASSERT_TRUE(file.Open(path.string()));
    EXPECT_EQ(file.Size(), static_cast<std::int64_t>(bytes.size()));
    std::string read;
    for (int request : pattern) {
      std::string piece(static_cast<std::size_t>(request), '\0');
      const int n = file.Read(piece.data(), request);
      const auto left = static_cast<int>(bytes.size() - read.size());
      ASSERT_EQ(n, std::min(request, left)) << "fewer bytes than asked only at the end";
      read.append(piece, 0, static_cast<std::size_t>(n));
    }
    EXPECT_TRUE(read == bytes.substr(0, read.size())) << "pattern starting " << pattern[0];
  }
  fs::remove(path);
}

}  // namespace
}  // namespace vandrel::mime
