#include "engine/writing/windows_file_names.h"

#include <algorithm>
#include <array>

#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"com", "lpt"};

}  // namespace

bool IsWindowsDeviceName(std::string_view leaf) {
  std::string base = mime::ToLowerAscii(leaf.substr(0, leaf.find('.')));
  // "CON .txt" is the device too.
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  for (std::string_view device : kDevices) {
    if (base == device) return true;
  }
  for (std::string_view device : kNumberedDevices) {
    if (base.size() == 4 && base.starts_with(device) && base[3] >= '1' && base[3] <= '9') {
      return true;
    }
  }
  return false;
}

std::string AvoidRefusedWindowsName(std::string_view leaf) {
  std::string name(leaf);
  if (IsWindowsDeviceName(name)) {
    const std::size_t at = std::min(name.find('.'), name.size());
    name = name.substr(0, at) + "_" + name.substr(at);
  }
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) name += '_';
  return name;
}

}  // namespace vandrel
