#include "engine/writing/output_names.h"

#include "engine/utf8_text.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kExtension = ".mbx";

bool MakesUnderscore(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x01 && byte <= 0x1F) || c == '\\' || c == ' ' || c == '/' || c == '<' ||
         c == '>' || c == ':' || c == '|' || c == '?' || c == '*';
}

}  // namespace

std::string CleanFolderName(std::string_view folderName) {
  std::string cleaned;
  for (char c : folderName) {
    if (c == '"') continue;
    cleaned += MakesUnderscore(c) ? '_' : c;
  }
  CutToLength(cleaned, kMaxCleanedNameLength);
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
