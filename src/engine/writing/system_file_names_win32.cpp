#include <windows.h>

#include "engine/writing/system_file_names.h"
#include "engine/writing/windows_file_names.h"
#include "platform/utf16_win32.h"

namespace vandrel {

// Upper case by the invariant locale, the mapping NTFS's own case table follows.
std::string FileNameKey(std::string_view name) {
  const std::wstring wide = platform::Widen(name);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size,
                                     nullptr, 0, nullptr, nullptr, 0);
  std::wstring upper(static_cast<std::size_t>(length), L'\0');
  ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, upper.data(), length,
                  nullptr, nullptr, 0);
  return platform::Narrow(upper);
}

std::string SystemFileName(std::string_view leaf) {
  return AvoidRefusedWindowsName(leaf);
}

}  // namespace vandrel
