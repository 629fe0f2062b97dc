// Paths travel through the engine as UTF-8 text. These make file system paths of them and back
// the same way on every system (on Windows a path built from a plain string would be read in
// the ANSI code page instead).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vandrel {

inline std::filesystem::path FilePath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace vandrel
