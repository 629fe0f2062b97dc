#include "engine/converting/header_charset.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "mime/ascii.h"
#include "mime/char_class.h"

namespace vandrel {

namespace {

std::optional<int> CodePageNumber(std::string_view lowerName) {
  for (std::string_view prefix : {"cp", "windows-"}) {
    if (!lowerName.starts_with(prefix)) continue;
    const std::string_view digits = lowerName.substr(prefix.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error == std::errc() && end == digits.data() + digits.size()) return number;
  }
  return std::nullopt;
}

// Names that mail readers know for the code pages Windows used as ANSI code pages.
std::string MimeNameOfCodePage(int number) {
  if (number == 1252) return "iso-8859-1";
  if (number >= 1250 && number <= 1258) return "windows-" + std::to_string(number);
  if (number >= 28591 && number <= 28606) return "iso-8859-" + std::to_string(number - 28590);
  switch (number) {
    case 874:
      return "windows-874";
    case 932:
      return "shift_jis";
    case 936:
      return "gbk";
    case 949:
      return "euc-kr";
    case 950:
      return "big5";
    case 65001:
      return "utf-8";
    default:
      return "cp" + std::to_string(number);
  }
}

}  // namespace

std::string ExportTextCharset(std::string_view codePage) {
  const std::string lower = mime::ToLowerAscii(codePage);
  if (const std::optional<int> number = CodePageNumber(lower)) return MimeNameOfCodePage(*number);
  return lower;
}

std::string HeaderCharsetFor(std::string_view value, std::string_view sourceCharset,
                             std::string_view exportCharset) {
  if (std::none_of(value.begin(), value.end(), mime::IsNonAscii)) return {};
  return std::string(sourceCharset.empty() ? exportCharset : sourceCharset);
}

void MarkContentTypeCharset(mime::MimePart& part, std::string_view exportCharset) {
  if (mime::HeaderField* field = part.GetField("Content-Type")) {
    if (field->charset.empty()) field->charset = HeaderCharsetFor(field->value, {}, exportCharset);
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
