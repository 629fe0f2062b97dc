#include <sys/stat.h>

#include <gtest/gtest.h>

#include "special_files.h"

namespace vandrel::mime {

// A FIFO without a writer, and a character device.
SpecialFiles::SpecialFiles(const std::filesystem::path& folder) {
  const std::string fifo = (folder / "pipe").string();
  EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  paths_ = {fifo, "/dev/null"};
}

SpecialFiles::~SpecialFiles() = default;

}  // namespace vandrel::mime
