// Files and folders of the fuzzers' own, made once per process in the system's temporary
// folder and removed at exit.
#pragma once

#include <iconv.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vandrel::fuzz {

// A folder of this process's own; removed at exit.
inline const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "vandrel-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(WorkFolder(), ignored);
    });
    return std::filesystem::path(name);
  }();
  return folder;
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

// Whether the C library's decoder takes the bytes as UTF-8 without a fault.
inline bool IsUtf8(std::string_view bytes) {
  const iconv_t decoder = ::iconv_open("UTF-32LE", "UTF-8");
  if (decoder == reinterpret_cast<iconv_t>(-1)) std::abort();
  std::string in(bytes);
  std::string out(4 * in.size() + 4, '\0');
  char* inPointer = in.data();
  std::size_t inLeft = in.size();
  char* outPointer = out.data();
  std::size_t outLeft = out.size();
  const bool decoded =
      ::iconv(decoder, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(decoder);
  return decoded && inLeft == 0;
}

// Where the lines that start with the separator begin, counted the plain way. Old Mac text, a
// CR and no LF at its start, ends its lines at CR as well.
inline std::vector<std::size_t> SeparatorLineStarts(std::string_view bytes) {
  constexpr std::string_view kSeparator = "From ???@???";
  const std::string_view start = bytes.substr(0, std::size_t{1} << 20);
  const bool crEndsLines =
      start.find('\n') == std::string_view::npos && start.find('\r') != std::string_view::npos;
  const std::string_view lineEnds = crEndsLines ? "\r\n" : "\n";
  std::vector<std::size_t> starts;
  if (bytes.starts_with(kSeparator)) starts.push_back(0);
  for (std::size_t end = bytes.find_first_of(lineEnds); end != std::string_view::npos;
       end = bytes.find_first_of(lineEnds, end + 1)) {
    if (bytes.substr(end + 1).starts_with(kSeparator)) starts.push_back(end + 1);
  }
  return starts;
}

// How many messages an export holds: its separator lines. Null for a UTF-16 export, and for
// UTF-8 behind a mark, which are converted into the code page first (where a character it lacks
// becomes "?"). Other text behind a UTF-8 mark is read as it stands, the mark skipped.
inline std::optional<int> SeparatorLines(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return std::nullopt;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    if (IsUtf8(bytes)) return std::nullopt;
  }
  return static_cast<int>(SeparatorLineStarts(bytes).size());
}

// Whether the bytes hold anything but blanks and line ends.
inline bool HasText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return bytes.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace vandrel::fuzz
