#include "engine/reading/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vandrel {
namespace {

const char* Find(const char* begin, std::size_t length, char c) {
  return static_cast<const char*>(std::memchr(begin, c, length));
}

}  // namespace

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)), buffer_(blockSize_ + 1) {}

bool LineReader::AppendLine(std::string& text) {
  bool lineStarted = false;
  for (;;) {
    if (position_ == end_ && !Refill()) return lineStarted;
    lineStarted = true;
    const char* begin = buffer_.data() + position_;
    const std::size_t available = end_ - position_;
    const char* lineFeed = Find(begin, available, '\n');
    const std::size_t span =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - begin) : available;
    text.append(begin, span);
    if (lineFeed != nullptr) {
      position_ += span + 1;
      return true;
    }
    position_ = end_;
  }
}

// Fills the buffer with the next translated bytes; false when the input has no more.
bool LineReader::Refill() {
  position_ = end_ = 0;
  while (end_ == 0 && !inputEnded_) {
    std::size_t length = 0;
    if (carriedCr_) {
      buffer_[length++] = '\r';
      carriedCr_ = false;
    }
    const std::size_t got = ReadBlock(buffer_.data() + length);
    if (got == 0) inputEnded_ = true;
    end_ = Translate(length + got);
  }
  return end_ > 0;
}

std::size_t LineReader::ReadBlock(char* destination) {
  if (!pending_.empty()) {
    const std::size_t taken = std::min(pending_.size(), blockSize_);
    std::memcpy(destination, pending_.data(), taken);
    pending_.erase(0, taken);
    return taken;
  }
  errno = 0;
  const std::size_t got = std::fread(destination, 1, blockSize_, file_);
  if (got < blockSize_ && std::ferror(file_)) {
    errorNumber_ = errno != 0 ? errno : EIO;
    inputEnded_ = true;
  }
  return got;
}

// Turns every CR LF into LF, in place; returns the new length.
std::size_t LineReader::Translate(std::size_t length) {
  char* data = buffer_.data();
  std::size_t read = 0;
  std::size_t write = 0;
  while (read < length) {
    const char* cr = Find(data + read, length - read, '\r');
    const std::size_t plain = (cr != nullptr ? static_cast<std::size_t>(cr - data) : length) - read;
    if (write != read) std::memmove(data + write, data + read, plain);
    read += plain;
    write += plain;
    if (read == length) break;
    ++read;  // past the CR
    if (read < length) {
      if (data[read] != '\n') data[write++] = '\r';
    } else if (inputEnded_) {
      data[write++] = '\r';
    } else {
      carriedCr_ = true;
    }
  }
  return write;
}

}  // namespace vandrel
