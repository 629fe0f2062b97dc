// A profile held as a running Thunderbird holds it, for as long as the object lives.
#pragma once

#include <filesystem>
#include <memory>

namespace vandrel::test {

class HeldProfile {
 public:
  virtual ~HeldProfile() = default;
};

std::unique_ptr<HeldProfile> HoldProfile(const std::filesystem::path& profile);

}  // namespace vandrel::test
