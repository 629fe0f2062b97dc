#include "engine/converting/named_path.h"

#include "engine/converting/header_charset.h"

namespace vandrel {

namespace {

constexpr std::string_view kBlanks = " \t";

}  // namespace

std::string NamedPath(std::string_view afterFieldName) {
  const std::size_t start = afterFieldName.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return {};
  std::string_view text = afterFieldName.substr(start);
  if (text.front() == '"') {
    const std::size_t closing = text.find('"', 1);
    if (closing != std::string_view::npos) return std::string(text.substr(1, closing - 1));
  }
  const std::size_t semicolon = text.find(';');
  if (semicolon != std::string_view::npos) {
    text = text.substr(0, semicolon);
  } else {
    const std::size_t last = text.find_last_not_of(" \t\r");
    text = last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
  }
  return WithoutQuotes(text);
}

}  // namespace vandrel
