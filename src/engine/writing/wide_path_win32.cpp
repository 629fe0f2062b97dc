#include <windows.h>

#include "engine/writing/wide_path.h"

namespace vandrel {

std::wstring WidePath(const std::string& utf8Path) {
  if (utf8Path.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(),
                                         static_cast<int>(utf8Path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(), static_cast<int>(utf8Path.size()), wide.data(),
                        size);
  return wide;
}

}  // namespace vandrel
