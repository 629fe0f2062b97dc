#include "engine/writing/output_names.h"

#include <filesystem>

#include "engine/utf8_text.h"
#include "engine/writing/system_file_names.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kExtension = ".mbx";

bool MakesUnderscore(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x1F || c == '\\' || c == ' ' || c == '/' || c == '<' || c == '>' || c == ':' ||
         c == '|' || c == '?' || c == '*';
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

bool IsPathSeparator(char c) {
  return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string OutputFileName(std::string_view outputPath, std::string_view cleanedName) {
  std::size_t leafStart = outputPath.size();
  while (leafStart > 0 && !IsPathSeparator(outputPath[leafStart - 1]))
    --leafStart;
  std::string name(outputPath.substr(0, leafStart));
  const std::string_view leaf = outputPath.substr(leafStart);
  std::size_t start = 0;
  for (std::size_t found; (found = leaf.find(kExtension, start)) != std::string_view::npos;
       start = found + kExtension.size()) {
    name.append(leaf.substr(start, found - start)).append(cleanedName);
  }
  name.append(leaf.substr(start)).append(kExtension);
  return name;
}

std::string FileNameInFolder(std::string_view outputFolder, std::string_view cleanedName) {
  std::string name(outputFolder);
  if (!name.empty() && !IsPathSeparator(name.back())) name += '/';
  name.append(cleanedName.empty() ? kUnnamedFolderFile : cleanedName).append(kExtension);
  return name;
}

bool EndsLikeThunderbirdsOwnFile(std::string_view fileName) {
  const std::string lower = mime::ToLowerAscii(fileName);
  return lower.ends_with(".msf") || lower.ends_with(".sbd");
}

std::string OutputNames::Claim(const std::string& fileName) {
  std::string candidate = fileName;
  const std::string stem = fileName.substr(0, fileName.size() - kExtension.size());
  for (int number = 2; used_.count(FileNameKey(candidate)) != 0 ||
                       EndsLikeThunderbirdsOwnFile(std::string_view(candidate).substr(
                           0, candidate.size() - kExtension.size()));
       ++number) {
    candidate = stem + "-" + std::to_string(number) + std::string(kExtension);
  }
  used_.insert(FileNameKey(candidate));
  return candidate;
}

}  // namespace vandrel
