// The output file of each folder: the output path with every ".mbx" replaced by the cleaned
// folder name and ".mbx" appended, kept apart from the files made earlier in the same run.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace vandrel {

// Longest cleaned folder name, in bytes.
inline constexpr std::size_t kMaxCleanedNameLength = 200;

// Quotes removed; backslashes, blanks, "/", "<", ">", ":", "|", "?", "*" and control bytes
// made "_" (the same on every system, none of them usable in a file name everywhere); cut to
// kMaxCleanedNameLength bytes (never inside a UTF-8 character).
std::string CleanFolderName(std::string_view folderName);

// Every ".mbx" of the output path, left to right, replaced by the cleaned name; then ".mbx".
std::string OutputFileName(std::string_view outputPath, std::string_view cleanedName);

class OutputNames {
 public:
  // The name for the next folder: "-2", "-3", ... go before the final ".mbx" when the name
  // was already used in this run (compared ignoring ASCII case, as Windows does).
  std::string Claim(const std::string& fileName);

 private:
  std::set<std::string> used_;  // lower-case
};

}  // namespace vandrel
