#include "engine/reading/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vandrel {
namespace {

constexpr char kEndOfInput = '\x1A';

const char* Find(const char* begin, std::size_t length, char c) {
  return static_cast<const char*>(std::memchr(begin, c, length));
}

}  // namespace

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)), buffer_(blockSize_ + 1) {}

bool LineReader::AppendLine(std::string& text) {
  std::size_t lineLength = 0;  // bytes of this line so far, for the chunk arithmetic
  bool lineStarted = false;
  for (;;) {
    if (position_ == end_ && !Refill()) return lineStarted;
    lineStarted = true;
    const char* begin = buffer_.data() + position_;
    const std::size_t available = end_ - position_;
    const char* lineFeed = Find(begin, available, '\n');
    const std::size_t span =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - begin) : available;
    if (const char* nul = Find(begin, span, '\0')) {
      const auto kept = static_cast<std::size_t>(nul - begin);
      text.append(begin, kept);
      position_ += kept;
      lineLength += kept;
      DropRestOfChunk(kChunkSize - lineLength % kChunkSize);
      return true;
    }
    text.append(begin, span);
    lineLength += span;
    if (lineFeed != nullptr) {
      position_ += span + 1;
      return true;
    }
    position_ = end_;
  }
}

// Drops count bytes, or fewer when an LF comes first; that LF is dropped too.
void LineReader::DropRestOfChunk(std::size_t count) {
  while (count > 0) {
    if (position_ == end_ && !Refill()) return;
    const char* begin = buffer_.data() + position_;
    const std::size_t span = std::min(count, end_ - position_);
    if (const char* lineFeed = Find(begin, span, '\n')) {
      position_ += static_cast<std::size_t>(lineFeed - begin) + 1;
      return;
    }
    position_ += span;
    count -= span;
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
  errno = 0;
  const std::size_t got = std::fread(destination, 1, blockSize_, file_);
  if (got < blockSize_ && std::ferror(file_)) {
    errorNumber_ = errno != 0 ? errno : EIO;
    inputEnded_ = true;
  }
  return got;
}

// Cuts the buffer at 0x1A and turns every CR LF into LF, in place; returns the new length.
std::size_t LineReader::Translate(std::size_t length) {
  char* data = buffer_.data();
  if (const char* stop = Find(data, length, kEndOfInput)) {
    length = static_cast<std::size_t>(stop - data);
    inputEnded_ = true;
  }
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
