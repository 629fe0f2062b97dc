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
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)), buffer_(blockSize_) {}

// A line feed ends the line, and a CR right before it belongs to the line end. A CR that
// ends the input stays in its line.
bool LineReader::NextLine(std::string_view& line) {
  bool lineStarted = false;
  longLine_.clear();
  for (;;) {
    if (position_ == end_ && !Refill()) {
      line = longLine_;
      return lineStarted;
    }
    lineStarted = true;
    const char* begin = buffer_.data() + position_;
    const std::size_t available = end_ - position_;
    const char* lineFeed = Find(begin, available, '\n');
    if (lineFeed == nullptr) {
      longLine_.append(begin, available);
      position_ = end_;
      offset_ += available;
      continue;
    }
    const std::size_t span = static_cast<std::size_t>(lineFeed - begin);
    position_ += span + 1;
    offset_ += span + 1;
    if (longLine_.empty()) {
      line = std::string_view(begin, span);
    } else {
      longLine_.append(begin, span);
      line = longLine_;
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    return true;
  }
}

// Fills the buffer with the next bytes; false when the input has no more.
bool LineReader::Refill() {
  position_ = end_ = 0;
  if (inputEnded_) return false;
  end_ = ReadBlock(buffer_.data());
  if (end_ == 0) inputEnded_ = true;
  if (copy_ != nullptr) copy_->append(buffer_.data(), end_);
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

void ToExportLines(std::string& bytes) {
  // Every LF without a CR before it gains one, and a last line without a line end gets CR LF.
  std::size_t added = 0;
  for (const char* lf = Find(bytes.data(), bytes.size(), '\n'); lf != nullptr;) {
    const std::size_t at = static_cast<std::size_t>(lf - bytes.data());
    if (at == 0 || bytes[at - 1] != '\r') ++added;
    lf = Find(lf + 1, bytes.size() - at - 1, '\n');
  }
  const bool unended = !bytes.empty() && bytes.back() != '\n';
  if (added == 0) {
    if (unended) bytes += "\r\n";
    return;
  }
  std::size_t read = bytes.size();
  bytes.resize(bytes.size() + added + (unended ? 2 : 0));
  std::size_t write = bytes.size();
  if (unended) {
    bytes[--write] = '\n';
    bytes[--write] = '\r';
  }
  // From the back, so every byte moves once.
  while (read > 0) {
    const char c = bytes[--read];
    bytes[--write] = c;
    if (c == '\n' && (read == 0 || bytes[read - 1] != '\r')) bytes[--write] = '\r';
  }
}

}  // namespace vandrel
