#include "engine/utf8_path.h"

#include <string>

namespace vandrel {

std::filesystem::path Utf8Path(std::string_view utf8) {
  return std::filesystem::path(std::string(utf8));
}

}  // namespace vandrel
