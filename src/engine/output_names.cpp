#include "engine/output_names.h"

#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kExtension = ".mbx";

bool MakesUnderscore(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x01 && byte <= 0x1F) || c == '\\' || c == ' ' || c == '/' || c == '<' ||
         c == '>' || c == ':' || c == '|' || c == '?' || c == '*';
}

// A UTF-8 name is not cut inside a character; other text is cut at the byte.
std::size_t CutPosition(const std::string& text, std::size_t maxLength) {
  if (text.size() <= maxLength) return text.size();
  if (!IsUtf8(text)) return maxLength;
  std::size_t cut = maxLength;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  return cut;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::string CleanFolderName(std::string_view folderName) {
  std::string cleaned;
  for (char c : folderName) {
    if (c == '"') continue;
    cleaned += MakesUnderscore(c) ? '_' : c;
  }
  cleaned.resize(CutPosition(cleaned, kMaxCleanedNameLength));
  return cleaned;
}

std::string OutputFileName(std::string_view outputPath, std::string_view cleanedName) {
  std::string name;
  std::size_t start = 0;
  for (std::size_t found; (found = outputPath.find(kExtension, start)) != std::string_view::npos;
       start = found + kExtension.size()) {
    name.append(outputPath.substr(start, found - start)).append(cleanedName);
  }
  name.append(outputPath.substr(start)).append(kExtension);
  return name;
}

std::string OutputNames::Claim(const std::string& fileName) {
  std::string candidate = fileName;
  const std::string stem = fileName.substr(0, fileName.size() - kExtension.size());
  for (int number = 2; used_.count(mime::ToLowerAscii(candidate)) != 0; ++number) {
    candidate = stem + "-" + std::to_string(number) + std::string(kExtension);
  }
  used_.insert(mime::ToLowerAscii(candidate));
  return candidate;
}

}  // namespace vandrel
