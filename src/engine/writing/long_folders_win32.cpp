#include <windows.h>

#include <string>

#include "engine/writing/long_folders.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

namespace {

// With the "\\?\" form throughout, as the names below may pass MAX_PATH.
bool RemoveLong(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    ::SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A link to a folder (a reparse point) goes itself; what it points to stays.
  if (!folder || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return folder ? ::RemoveDirectoryW(path.c_str()) != 0 : ::DeleteFileW(path.c_str()) != 0;
  }
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  bool all = true;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") all = RemoveLong(path + L"\\" + name) && all;
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  return ::RemoveDirectoryW(path.c_str()) != 0 && all;
}

// The "\\?\" form of a full path, whatever its length.
std::wstring LongForm(const std::string& path) {
  std::wstring full = platform::FileSystemPath(path);
  if (full.starts_with(LR"(\\?\)")) return full;
  const DWORD length = ::GetFullPathNameW(full.c_str(), 0, nullptr, nullptr);
  std::wstring absolute(length, L'\0');
  const DWORD written = ::GetFullPathNameW(full.c_str(), length, absolute.data(), nullptr);
  if (length == 0 || written == 0 || written >= length) return full;
  absolute.resize(written);
  return absolute.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + absolute.substr(2)
                                        : LR"(\\?\)" + absolute;
}

}  // namespace

bool RemoveTree(const std::string& path) {
  return RemoveLong(LongForm(path));
}

bool MakeFolder(const std::string& path) {
  const std::wstring full = LongForm(path);
  if (::CreateDirectoryW(full.c_str(), nullptr)) return true;
  const DWORD attributes = ::GetFileAttributesW(full.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace vandrel
