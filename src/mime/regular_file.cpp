#include "mime/regular_file.h"

#include <algorithm>
#include <cstring>

namespace vandrel::mime {

namespace {
constexpr int kBufferSize = 64 * 1024;
}  // namespace

RegularFile::~RegularFile() {
  Close();
}

int RegularFile::Read(char* buffer, int count) {
  int total = 0;
  while (total < count) {
    if (consumed_ == buffered_ && count - total >= kBufferSize) {
      // A request this large goes straight into the caller's buffer, without a copy.
      const int n = ReadFromSystem(buffer + total, count - total);
      if (n < 0) return -1;
      if (n == 0) break;
      total += n;
      continue;
    }
    if (consumed_ == buffered_) {
      if (buffer_ == nullptr) buffer_ = std::make_unique<char[]>(kBufferSize);
      const int n = ReadFromSystem(buffer_.get(), kBufferSize);
      if (n < 0) return -1;
      if (n == 0) break;
      buffered_ = n;
      consumed_ = 0;
    }
    const int take = std::min(count - total, buffered_ - consumed_);
    std::memcpy(buffer + total, buffer_.get() + consumed_, static_cast<std::size_t>(take));
    consumed_ += take;
    total += take;
  }
  return total;
}

}  // namespace vandrel::mime
