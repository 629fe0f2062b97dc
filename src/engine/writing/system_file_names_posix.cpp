#include "engine/writing/system_file_names.h"
#include "mime/ascii.h"

namespace vandrel {

std::string FileNameKey(std::string_view name) {
  return mime::ToLowerAscii(name);
}

std::string SystemFileName(std::string_view leaf) {
  return std::string(leaf);
}

}  // namespace vandrel
