#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "engine/reading/input_file.h"

namespace vandrel {

// POSIX has no mandatory locks, so the file is opened without keeping anyone out.
FilePointer OpenInputFile(const std::string& path) {
  return FilePointer(std::fopen(path.c_str(), "rb"));
}

// Unlinked at once by the C library: nothing stays behind, however the program ends.
FilePointer OpenTemporaryFile() {
  errno = 0;
  return FilePointer(std::tmpfile());
}

bool CanReadAgain(std::FILE* file) {
  struct stat status {};
  return ::fstat(::fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}

bool ReadAt(std::FILE* file, std::uint64_t offset, char* destination, std::size_t length) {
  const int descriptor = ::fileno(file);
  while (length > 0) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
      errno = EOVERFLOW;
      return false;
    }
    const ssize_t got = ::pread(descriptor, destination, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = 0;
      return false;
    }
    destination += got;
    offset += static_cast<std::uint64_t>(got);
    length -= static_cast<std::size_t>(got);
  }
  return true;
}

std::optional<FileStamp> StampOf(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0) return std::nullopt;
  return FileStamp{
      static_cast<std::uint64_t>(status.st_size),
      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

}  // namespace vandrel
