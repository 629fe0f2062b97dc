// The output file of each folder, kept apart from the files made earlier in the same run. An
// output path that names a file gives "<path with the folder name for .mbx>.mbx"; one that
// names a folder gives "<folder>/<folder name>.mbx".
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace vandrel {

// Longest cleaned folder name, in bytes.
inline constexpr std::size_t kMaxCleanedNameLength = 200;

// The name a folder without a name of its own gets in an output folder.
inline constexpr std::string_view kUnnamedFolderFile = "Unnamed_folder";

// Quotes removed; backslashes, blanks, "/", "<", ">", ":", "|", "?", "*" and control bytes
// made "_" (the same on every system, none of them usable in a file name everywhere); cut to
// kMaxCleanedNameLength bytes (never inside a UTF-8 character).
std::string CleanFolderName(std::string_view folderName);

// "/", and on Windows also "\".
bool IsPathSeparator(char c);

// Every ".mbx" of the output path's file name, left to right, replaced by the cleaned name;
// then ".mbx". The folders on the way stay as written.
std::string OutputFileName(std::string_view outputPath, std::string_view cleanedName);

// The file of a folder inside an output folder: the cleaned name (kUnnamedFolderFile when it is
// empty) and ".mbx".
std::string FileNameInFolder(std::string_view outputFolder, std::string_view cleanedName);

// Whether a folder's file name ends like the files Thunderbird keeps beside its folders
// (".msf" summaries, ".sbd" subfolders), ignoring case.
bool EndsLikeThunderbirdsOwnFile(std::string_view fileName);

class OutputNames {
 public:
  // The name for the next folder: "-2", "-3", ... go before the final ".mbx" when the name
  // was already used in this run (compared as FileNameKey compares them), or when the name
  // without ".mbx" would end like Thunderbird's own files.
  std::string Claim(const std::string& fileName);

 private:
  std::set<std::string> used_;  // FileNameKey
};

}  // namespace vandrel
