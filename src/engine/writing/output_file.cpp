#include "engine/writing/output_file.h"

namespace vandrel {

namespace {
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const std::string& path, const std::string& temporaryPrefix) {
  Discard();
  path_ = path;
  buffer_.clear();
  buffer_.reserve(kBufferSize);
  return CreateTemporary(temporaryPrefix);
}

bool OutputFile::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() <= kBufferSize) {
    buffer_.append(bytes);
    return true;
  }
  if (!buffer_.empty() && !WriteBytes(buffer_)) return false;
  buffer_.clear();
  // A large text goes to the file as it is, without a copy.
  if (bytes.size() >= kBufferSize) return WriteBytes(bytes);
  buffer_.append(bytes);
  return true;
}

bool OutputFile::Close(When flush) {
  if (handle_ == -1) return Fail();
  if (!buffer_.empty() && !WriteBytes(buffer_)) return false;
  // A run may hold thousands of closed files until it puts them in place.
  std::string().swap(buffer_);
  return SyncAndClose(flush == When::kNow);
}

bool OutputFile::PutInPlace(When flushFolder) {
  if (handle_ != -1 || temporaryPath_.empty()) return Fail();
  if (!RenameIntoPlace(flushFolder == When::kNow)) return false;
  temporaryPath_.clear();
  return true;
}

void OutputFile::Discard() {
  if (handle_ != -1 || !temporaryPath_.empty()) CloseAndRemove();
  temporaryPath_.clear();
}

}  // namespace vandrel
