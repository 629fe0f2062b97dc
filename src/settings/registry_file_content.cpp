#include "settings/registry_file_content.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vandrel {
namespace {

bool ReadAll(int fd, std::size_t size, std::string& text) {
  text.resize(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = read(fd, text.data() + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;  // the file shrank; what was read is all there is
    done += static_cast<std::size_t>(got);
  }
  text.resize(done);
  return true;
}

}  // namespace

RegistryFileContent RegistryFileContent::Load(const std::filesystem::path& file) {
  RegistryFileContent content;
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    content.state = errno == ENOENT ? State::Missing : State::Unreadable;
    return content;
  }
  struct stat status {};
  const bool readable = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                        static_cast<std::size_t>(status.st_size) <= kSizeLimit &&
                        ReadAll(fd, static_cast<std::size_t>(status.st_size), content.text);
  close(fd);
  if (!readable) {
    content.state = State::Unreadable;
    content.text.clear();
    return content;
  }
  content.state = State::Read;
  content.parsed = ReadRegistryText(content.text);
  return content;
}

}  // namespace vandrel
