#include "engine/utf8_path.h"

#include "platform/utf16_win32.h"

namespace vandrel {

std::filesystem::path Utf8Path(std::string_view utf8) {
  return std::filesystem::path(platform::Widen(utf8));
}

}  // namespace vandrel
