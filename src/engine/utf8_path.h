// File names are UTF-8 text on every system. A std::filesystem::path made straight from a
// std::string takes it in the system's narrow encoding, which on Windows is not UTF-8: paths are
// made from UTF-8 here instead, and turned back into UTF-8 text by PathText.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vandrel {

// Never throws: bytes that are no UTF-8 stay as they are where the system takes any bytes, and
// become U+FFFD where names are Unicode (no file can have such a name there).
std::filesystem::path Utf8Path(std::string_view utf8);

// The path as UTF-8 text.
inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace vandrel
