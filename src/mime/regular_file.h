// Binary reading of regular files only. Opening never blocks: FIFOs, devices and sockets are
// refused. Reads are served from an internal buffer, so small requests stay cheap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vandrel::mime {

class RegularFile {
 public:
  RegularFile() = default;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  // False when the path cannot be opened or does not name a regular file.
  bool Open(const std::string& path);
  // Size in bytes when opened; -1 when it cannot be told.
  std::int64_t Size() const { return size_; }
  // Up to `count` bytes; fewer only at the end of the file; -1 on a read error.
  int Read(char* buffer, int count);

 private:
  // The platform's own read of up to `count` bytes; 0 at the end, -1 on error.
  int ReadFromSystem(char* buffer, int count);
  void Close();

  std::intptr_t handle_ = -1;
  std::int64_t size_ = -1;
  std::unique_ptr<char[]> buffer_;
  int buffered_ = 0;
  int consumed_ = 0;
};

}  // namespace vandrel::mime
