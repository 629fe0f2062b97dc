#include <windows.h>

#include "engine/writing/move_without_replacing.h"
#include "engine/writing/wide_path.h"

namespace vandrel {

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace vandrel
