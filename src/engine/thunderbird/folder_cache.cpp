#include "engine/thunderbird/folder_cache.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/utf8_path.h"
#include "engine/writing/output_file.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

// The file the cache is in: a link's target, so that the link stays a link.
fs::path RealFile(const fs::path& cacheFile) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(cacheFile, error))) return cacheFile;
  const fs::path target = fs::weakly_canonical(cacheFile, error);
  return error ? cacheFile : target;
}

}  // namespace

FolderCacheResult AddFolderNames(
    const std::string& cacheFile,
    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName) {
  const fs::path file = RealFile(Utf8Path(cacheFile));
  nlohmann::json cache = nlohmann::json::object();
  std::error_code error;
  if (fs::exists(file, error)) {
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    cache = nlohmann::json::parse(text, nullptr, false);
    if (cache.is_discarded() || !cache.is_object()) return FolderCacheResult::kNotJson;
  }
  for (const auto& [summaryFile, name] : summaryFileAndName) {
    nlohmann::json& entry = cache[summaryFile];
    if (!entry.is_object()) entry = nlohmann::json::object();
    entry["folderName"] = name;
  }
  // Bytes that are not UTF-8 cannot stand in JSON; they become U+FFFD rather than fail.
  const std::string text = cache.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  OutputFile out;
  if (!out.Open(PathText(file), "." + PathText(file.filename()) + ".vandrel-") ||
      !out.Write(text) || !out.Commit()) {
    return FolderCacheResult::kWriteFailed;
  }
  return FolderCacheResult::kWritten;
}

}  // namespace vandrel
