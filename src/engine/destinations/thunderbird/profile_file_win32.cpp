#include <windows.h>

#include <algorithm>
#include <utility>

#include "engine/destinations/thunderbird/profile_file.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

namespace {

using State = ProfileFile::State;

// Up to one byte past the bound, so that a file that grew past it is found.
ProfileFile ReadOpened(HANDLE file, std::size_t maxSize) {
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) ||
      static_cast<unsigned long long>(size.QuadPart) > maxSize) {
    return {State::kUnusable, {}};
  }
  std::string text(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(file, text.data() + done, chunk, &got, nullptr)) return {State::kUnusable, {}};
    if (got == 0) break;
    done += got;
    if (done == text.size() && done <= maxSize) text.resize(std::min(2 * done, maxSize + 1));
  }
  if (done > maxSize) return {State::kUnusable, {}};
  text.resize(done);
  return {State::kRead, std::move(text)};
}

}  // namespace

// Links are followed; a folder does not open without FILE_FLAG_BACKUP_SEMANTICS, and what is
// not a file on disk (a pipe, a device) is refused before it is read.
ProfileFile ReadProfileFile(const std::string& path, std::size_t maxSize) {
  const HANDLE file = ::CreateFileW(platform::FileSystemPath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? State::kMissing : State::kUnusable, {}};
  }
  ProfileFile read = ReadOpened(file, maxSize);
  ::CloseHandle(file);
  return read;
}

}  // namespace vandrel
