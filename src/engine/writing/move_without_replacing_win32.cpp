#include <windows.h>

#include "engine/writing/move_without_replacing.h"
#include "platform/file_system_path_win32.h"

namespace vandrel {

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  return ::MoveFileExW(platform::FileSystemPath(from).c_str(), platform::FileSystemPath(to).c_str(),
                       MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace vandrel
