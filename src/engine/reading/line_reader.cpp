#include "engine/reading/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vandrel {
namespace {

const char* Find(const char* begin, std::size_t length, char c) {
  return static_cast<const char*>(std::memchr(begin, c, length));
}

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), blockSize_(std::max<std::size_t>(blockSize, 1)), buffer_(blockSize_) {}

// Looks at the input's start, whatever the block size; it is read from the prepended bytes later.
bool LineReader::ChooseLineEnds() {
  if (offset_ != 0 || position_ != end_ || pendingTaken_ != 0) return crEndsLines_;
  std::string start = std::move(pending_);
  const std::size_t taken = start.size();
  if (taken < kLineEndsLookAhead) {
    start.resize(kLineEndsLookAhead);
    errno = 0;
    const std::size_t wanted = kLineEndsLookAhead - taken;
    const std::size_t got = std::fread(start.data() + taken, 1, wanted, file_);
    // The error stays on the file, and the reading after this meets it again.
    if (got < wanted && std::ferror(file_)) errorNumber_ = errno != 0 ? errno : EIO;
    start.resize(taken + got);
  }
  const std::string_view head = std::string_view(start).substr(0, kLineEndsLookAhead);
  crEndsLines_ =
      head.find('\n') == std::string_view::npos && head.find('\r') != std::string_view::npos;
  pending_ = std::move(start);
  return crEndsLines_;
}

// A line feed ends the line, and a CR right before it belongs to the line end. A CR that
// ends the input stays in its line. In old Mac text a CR alone ends a line as well.
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
    const char* lineEnd = crEndsLines_ ? std::find_if(begin, begin + available, IsLineEnd)
                                       : Find(begin, available, '\n');
    if (lineEnd == nullptr || lineEnd == begin + available) {
      longLine_.append(begin, available);
      position_ = end_;
      offset_ += available;
      continue;
    }
    const std::size_t span = static_cast<std::size_t>(lineEnd - begin);
    const bool endedByCr = *lineEnd == '\r';
    position_ += span + 1;
    offset_ += span + 1;
    if (longLine_.empty()) {
      line = std::string_view(begin, span);
    } else {
      longLine_.append(begin, span);
      line = longLine_;
    }
    if (endedByCr) {
      SkipLineFeedAfterCr(line);
    } else if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    return true;
  }
}

// The LF of a CR LF that ends a line of old Mac text; it may come in the next block.
void LineReader::SkipLineFeedAfterCr(std::string_view& line) {
  if (position_ == end_) {
    // The block is about to be read over.
    if (longLine_.empty()) longLine_.assign(line);
    line = longLine_;
    if (!Refill()) return;
  }
  if (buffer_[position_] == '\n') {
    ++position_;
    ++offset_;
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

// The prepended bytes first, then the file, so that a block is full while there is input.
std::size_t LineReader::ReadBlock(char* destination) {
  const std::size_t taken = std::min(pending_.size() - pendingTaken_, blockSize_);
  if (taken > 0) {
    std::memcpy(destination, pending_.data() + pendingTaken_, taken);
    pendingTaken_ += taken;
  }
  if (pendingTaken_ == pending_.size()) {
    pending_.clear();
    pendingTaken_ = 0;
  }
  if (taken == blockSize_) return taken;
  errno = 0;
  const std::size_t wanted = blockSize_ - taken;
  const std::size_t got = std::fread(destination + taken, 1, wanted, file_);
  if (got < wanted && std::ferror(file_)) {
    errorNumber_ = errno != 0 ? errno : EIO;
    inputEnded_ = true;
  }
  return taken + got;
}

namespace {

// CR, LF and CR LF alike become CR LF; a last line without a line end gets one.
void CrOrLfToExportLines(std::string& bytes) {
  std::string lines;
  lines.reserve(bytes.size() + bytes.size() / 32 + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (!IsLineEnd(c)) {
      lines += c;
      continue;
    }
    lines += "\r\n";
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!bytes.empty() && !IsLineEnd(bytes.back())) lines += "\r\n";
  bytes.swap(lines);
}

}  // namespace

void ToExportLines(std::string& bytes, bool crEndsLines) {
  if (crEndsLines) {
    CrOrLfToExportLines(bytes);
    return;
  }
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
