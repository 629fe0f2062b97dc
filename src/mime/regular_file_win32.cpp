#include <windows.h>

#include "mime/regular_file.h"
#include "platform/file_system_path_win32.h"

namespace vandrel::mime {

bool RegularFile::Open(const std::string& path) {
  Close();
  HANDLE file = ::CreateFileW(platform::FileSystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  // Pipes, consoles and devices are not regular files.
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::int64_t>(size.QuadPart);
  return true;
}

int RegularFile::ReadFromSystem(char* buffer, int count) {
  DWORD read = 0;
  if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &read,
                  nullptr)) {
    return -1;
  }
  return static_cast<int>(read);
}

void RegularFile::Close() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  size_ = -1;
  buffered_ = consumed_ = 0;
}

}  // namespace vandrel::mime
