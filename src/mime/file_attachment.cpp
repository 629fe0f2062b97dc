// MimePart::ReadFile: a part takes its content from a file on disk.
#include <cstring>
#include <new>

#include "mime/bounded_text.h"
#include "mime/mime_part.h"
#include "mime/regular_file.h"

namespace vandrel::mime {

namespace {

// The text after the last backslash; only the backslash separates directories here.
std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool MimePart::ReadFile(const std::string& path) {
  return ReadFile(path, FileNameOf(path));
}

bool MimePart::ReadFile(const std::string& path, std::string_view partName) {
  RegularFile file;
  if (!file.Open(path)) return false;
  const std::int64_t size = file.Size();
  if (size < 0 || size > static_cast<std::int64_t>(kMaxTextLength) - 4) return false;

  std::unique_ptr<char[]> content;
  int length = 0;
  if (size > 0) {
    content.reset(new (std::nothrow) char[static_cast<std::size_t>(size) + 4]);
    if (content == nullptr) return false;
    // Never more than the size measured at opening, even when the file grows meanwhile; a file
    // that shrinks gives the bytes that were there.
    length = file.Read(content.get(), static_cast<int>(size));
    if (length < 0) return false;
    content[static_cast<std::size_t>(length)] = '\0';
  }
  content_ = std::move(content);
  contentLength_ = length;
  SetName(partName);
  return true;
}

}  // namespace vandrel::mime
