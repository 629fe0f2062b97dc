// Opening the exported mailbox for reading, and temporary files for a converted copy of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace vandrel {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file for binary reading (LineReader does the text-mode work itself), keeping
// other programs from writing to it where the platform allows. Null on failure, errno set.
FilePointer OpenInputFile(const std::string& path);

// A new file for reading and writing that is removed when closed, even when the program ends
// without closing it where the system can do that. Null on failure, errno set.
FilePointer OpenTemporaryFile();

// True for a file on disk, which can be read again at any place; false for a pipe or a device.
bool CanReadAgain(std::FILE* file);

// Reads `length` bytes from `offset` on, wherever the file stands; false when the file had
// fewer bytes there (errno 0) or could not be read (errno set).
bool ReadAt(std::FILE* file, std::uint64_t offset, char* destination, std::size_t length);

// What tells that a file was written to: its size and the time of its last change.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's finest unit
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(std::FILE* file);

}  // namespace vandrel
