// Files that exist but are no regular files (pipes, devices), made for a test and removed after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vandrel::mime {

class SpecialFiles {
 public:
  // Makes them, where they need making, in `folder`.
  explicit SpecialFiles(const std::filesystem::path& folder);
  ~SpecialFiles();
  SpecialFiles(const SpecialFiles&) = delete;
  SpecialFiles& operator=(const SpecialFiles&) = delete;

  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
  std::intptr_t pipe_ = -1;  // a pipe kept open while the test runs, where the system needs one
};

}  // namespace vandrel::mime
