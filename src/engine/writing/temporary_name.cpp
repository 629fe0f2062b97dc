#include "engine/writing/temporary_name.h"

#include <random>

namespace vandrel {

std::string TemporaryName(const std::string& prefix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string name = prefix;
  for (int i = 0; i < 12; ++i)
    name += kLetters[pick(random)];
  return name;
}

}  // namespace vandrel
