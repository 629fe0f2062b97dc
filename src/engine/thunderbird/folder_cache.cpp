#include "engine/thunderbird/folder_cache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "engine/utf8_path.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x",
                    static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

bool AddFolderNames(const std::string& cacheFile,
                    const std::vector<std::pair<std::string, std::string>>& summaryFileAndName) {
  std::string text = "{}";
  std::error_code error;
  if (fs::exists(Utf8Path(cacheFile), error)) {
    std::ifstream in(Utf8Path(cacheFile), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
  }
  const std::size_t open = text.find_first_not_of(" \t\r\n");
  const std::size_t close = text.find_last_not_of(" \t\r\n");
  if (open == std::string::npos || text[open] != '{' || text[close] != '}') return false;
  const bool empty = text.find_first_not_of(" \t\r\n", open + 1) == close;

  std::string entries;
  for (const auto& [summaryFile, name] : summaryFileAndName) {
    if (!entries.empty()) entries += ",";
    entries += JsonString(summaryFile) + ":{\"folderName\":" + JsonString(name) + "}";
  }
  text.insert(open + 1, empty ? entries : entries + ",");

  const std::string temporary = cacheFile + ".vandrel-new";
  {
    std::ofstream out(Utf8Path(temporary), std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  fs::rename(Utf8Path(temporary), Utf8Path(cacheFile), error);
  if (!error) return true;
  fs::remove(Utf8Path(temporary), error);
  return false;
}

}  // namespace vandrel
