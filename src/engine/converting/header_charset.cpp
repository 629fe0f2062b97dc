#include "engine/converting/header_charset.h"

#include <algorithm>

#include "mime/char_class.h"

namespace vandrel {

std::string HeaderCharsetFor(std::string_view value, std::string_view sourceCharset) {
  if (std::none_of(value.begin(), value.end(), mime::IsNonAscii)) return {};
  return std::string(sourceCharset.empty() ? kFallbackCharset : sourceCharset);
}

void MarkContentTypeCharset(mime::MimePart& part) {
  if (mime::HeaderField* field = part.GetField("Content-Type")) {
    if (field->charset.empty()) field->charset = HeaderCharsetFor(field->value);
  }
}

std::string WithoutQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '"') out += c;
  }
  return out;
}

std::string_view ExportFileName(std::string_view pathAsWritten) {
  const std::size_t slash = pathAsWritten.rfind('\\');
  return slash == std::string_view::npos ? pathAsWritten : pathAsWritten.substr(slash + 1);
}

}  // namespace vandrel
