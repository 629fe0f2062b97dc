#include "engine/writing/output_file.h"

#include <cstring>

namespace vandrel {

namespace {
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const std::string& path, const std::string& temporaryPrefix,
                      LineEnds lineEnds) {
  Discard();
  path_ = path;
  crLf_ = lineEnds == LineEnds::kCrLf;
  buffer_.clear();
  buffer_.reserve(kBufferSize + 2);
  return CreateTemporary(temporaryPrefix);
}

bool OutputFile::Write(std::string_view text) {
  if (!crLf_) {
    buffer_.append(text);
    text = {};
  }
  if (buffer_.size() >= kBufferSize) {
    if (!WriteBytes(buffer_)) return false;
    buffer_.clear();
  }
  while (!text.empty()) {
    const auto* lf = static_cast<const char*>(std::memchr(text.data(), '\n', text.size()));
    const std::size_t line =
        lf == nullptr ? text.size() : static_cast<std::size_t>(lf - text.data());
    buffer_.append(text.data(), line);
    if (lf != nullptr) buffer_ += "\r\n";
    text.remove_prefix(lf == nullptr ? line : line + 1);
    if (buffer_.size() >= kBufferSize) {
      if (!WriteBytes(buffer_)) return false;
      buffer_.clear();
    }
  }
  return true;
}

bool OutputFile::Commit() {
  if (handle_ == -1) return Fail();
  if (!buffer_.empty() && !WriteBytes(buffer_)) return false;
  buffer_.clear();
  if (!SyncAndClose()) return false;
  if (!RenameIntoPlace()) return false;
  temporaryPath_.clear();
  return true;
}

void OutputFile::Discard() {
  if (handle_ != -1 || !temporaryPath_.empty()) CloseAndRemove();
  temporaryPath_.clear();
}

}  // namespace vandrel
