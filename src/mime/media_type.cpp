#include "mime/media_type.h"

#include "mime/ascii.h"

namespace vandrel::mime {

namespace {
constexpr std::string_view kOctetStream = "application/octet-stream";
}  // namespace

MediaType MediaTypeFromName(std::string_view contentType) {
  for (MediaType type = 0; MediaTypeNames[static_cast<std::size_t>(type)] != nullptr; ++type) {
    if (StartsWithIgnoreCase(contentType, MediaTypeNames[static_cast<std::size_t>(type)])) return type;
  }
  return kMediaOther;
}

std::string ContentTypeForFileName(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return std::string(kOctetStream);
  const std::string_view extension = fileName.substr(dot + 1);
  for (const ExtensionRow& row : ExtensionTable) {
    if (row.type == kMediaOther) break;
    if (EqualsIgnoreCase(row.extension, extension)) {
      return std::string(MediaTypeNames[static_cast<std::size_t>(row.type)]) + "/" + row.subtype;
    }
  }
  return std::string(kOctetStream);
}

}  // namespace vandrel::mime
