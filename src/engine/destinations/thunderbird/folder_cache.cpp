#include "engine/destinations/thunderbird/folder_cache.h"

#include <nlohmann/json.hpp>

#include <string_view>
#include <system_error>

#include "engine/destinations/thunderbird/profile_file.h"
#include "engine/utf8_path.h"
#include "engine/writing/output_file.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

// Thunderbird's cache is two levels deep; one nested far deeper is no cache of its, and writing
// it back would recurse as deep as it nests.
constexpr int kMaxDepth = 64;

// The file the cache is in: a link's target, so that the link stays a link.
fs::path RealFile(const fs::path& cacheFile) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(cacheFile, error))) return cacheFile;
  const fs::path target = fs::weakly_canonical(cacheFile, error);
  return error ? cacheFile : target;
}

// Strings skipped; the parser refuses what is not JSON.
bool NestsDeeperThan(std::string_view text, int maxDepth) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

nlohmann::json Parsed(const std::string& text) {
  if (NestsDeeperThan(text, kMaxDepth)) return nlohmann::json(nlohmann::json::value_t::discarded);
  return nlohmann::json::parse(text, nullptr, false);
}

}  // namespace

struct FolderCache::Entries {
  nlohmann::json cache;
};

FolderCache::FolderCache() = default;
FolderCache::~FolderCache() = default;

bool FolderCache::Read(const std::string& cacheFile) {
  entries_.reset();
  file_ = RealFile(Utf8Path(cacheFile));
  const ProfileFile read = ReadProfileFile(PathText(file_), kMaxFolderCacheSize);
  if (read.state == ProfileFile::State::kUnusable) return false;
  nlohmann::json cache =
      read.state == ProfileFile::State::kMissing ? nlohmann::json::object() : Parsed(read.text);
  if (cache.is_discarded() || !cache.is_object()) return false;
  entries_ = std::make_unique<Entries>(Entries{std::move(cache)});
  return true;
}

FolderCacheResult FolderCache::AddFolderNames(
    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName) {
  if (entries_ == nullptr) return FolderCacheResult::kNotJson;
  nlohmann::json& cache = entries_->cache;
  for (const auto& [summaryFile, name] : summaryFileAndName) {
    nlohmann::json& entry = cache[summaryFile];
    if (!entry.is_object()) entry = nlohmann::json::object();
    entry["folderName"] = name;
  }
  // Bytes that are not UTF-8 cannot stand in JSON; they become U+FFFD rather than fail.
  const std::string text = cache.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  OutputFile out;
  if (!out.Open(PathText(file_), "." + PathText(file_.filename()) + ".vandrel-") ||
      !out.Write(text) || !out.Commit()) {
    return FolderCacheResult::kWriteFailed;
  }
  return FolderCacheResult::kWritten;
}

FolderCacheResult AddFolderNames(
    const std::string& cacheFile,
    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName) {
  FolderCache cache;
  if (!cache.Read(cacheFile)) return FolderCacheResult::kNotJson;
  return cache.AddFolderNames(summaryFileAndName);
}

}  // namespace vandrel
