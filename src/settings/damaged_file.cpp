#include "settings/damaged_file.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "settings/new_file.h"

namespace vandrel {
namespace {

std::string TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "unknown-time";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  }
  return text;
}

}  // namespace

bool KeepDamagedFile(const std::filesystem::path& file, std::optional<std::string_view> contents) {
  const std::string base = file.string() + ".bad-" + TimeStamp();
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (contents) {
      const NewFileResult result = WriteNewFile(name, *contents, 0600);
      if (result != NewFileResult::NameTaken) return result == NewFileResult::Written;
    } else if (link(file.c_str(), name.c_str()) == 0) {
      return true;
    } else if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

}  // namespace vandrel
