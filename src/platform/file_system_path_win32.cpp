#include "platform/file_system_path_win32.h"

#include <windows.h>

#include "platform/utf16_win32.h"

namespace vandrel::platform {

namespace {

// Directories are limited to MAX_PATH less the room for an 8.3 file name.
constexpr std::size_t kShortLimit = MAX_PATH - 12;

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return full;
}

}  // namespace

std::wstring FileSystemPath(std::string_view utf8Path) {
  std::wstring path = Widen(utf8Path);
  if (path.size() < kShortLimit || path.starts_with(LR"(\\?\)")) return path;
  // The prefix turns off the system's own clean-up of "/", "." and "..": it is done here.
  path = FullPath(path);
  if (path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)")) return path;
  if (path.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + path.substr(2);
  return LR"(\\?\)" + path;
}

}  // namespace vandrel::platform
