#include <unistd.h>

#include <string>

#include "held_profile.h"

namespace vandrel::test {

namespace {

// Thunderbird's older lock: a link naming a live process, this one.
class LockLink : public HeldProfile {
 public:
  explicit LockLink(const std::filesystem::path& profile) : link_(profile / "lock") {
    std::filesystem::create_symlink("127.0.0.1:+" + std::to_string(::getpid()), link_);
  }
  ~LockLink() override {
    std::error_code ignored;
    std::filesystem::remove(link_, ignored);
  }

 private:
  std::filesystem::path link_;
};

}  // namespace

std::unique_ptr<HeldProfile> HoldProfile(const std::filesystem::path& profile) {
  return std::make_unique<LockLink>(profile);
}

}  // namespace vandrel::test
