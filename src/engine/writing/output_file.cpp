#include "engine/writing/output_file.h"

#include <cerrno>
#include <cstring>

namespace vandrel {

namespace {
constexpr std::size_t kTranslateChunk = 256 * 1024;
constexpr std::size_t kBufferSize = 1 << 20;
}  // namespace

bool OutputFile::Open(const std::string& path) {
  path_ = path;
  file_ = OpenForWriting(path);
  if (file_ == nullptr) return Fail();
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  return true;
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool OutputFile::Write(std::string_view text) {
  while (!text.empty()) {
    const std::string_view chunk = text.substr(0, kTranslateChunk);
    text.remove_prefix(chunk.size());
    translated_.clear();
    std::size_t start = 0;
    while (start < chunk.size()) {
      const auto* lf =
          static_cast<const char*>(std::memchr(chunk.data() + start, '\n', chunk.size() - start));
      const std::size_t end =
          lf == nullptr ? chunk.size() : static_cast<std::size_t>(lf - chunk.data());
      translated_.append(chunk.data() + start, end - start);
      if (lf != nullptr) translated_ += "\r\n";
      start = end + 1;
    }
    errno = 0;
    if (std::fwrite(translated_.data(), 1, translated_.size(), file_) != translated_.size())
      return Fail();
  }
  return true;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return true;
  errno = 0;
  const bool flushed = std::fflush(file_) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) errno = flushError;
  return (flushed && closed) ? true : Fail();
}

}  // namespace vandrel
