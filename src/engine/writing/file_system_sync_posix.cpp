#include <fcntl.h>
#include <unistd.h>

#include "engine/writing/file_system_sync.h"

namespace vandrel {

bool SyncFileSystemOf(const std::string& path) {
#ifdef __linux__
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::syncfs(fd) == 0;
  ::close(fd);
  return synced;
#else
  ::sync();
  return true;
#endif
}

}  // namespace vandrel
