// Finds the files an export names by Windows paths ("C:\Calypso\Attach\x.jpg") when the tool
// runs elsewhere: below each search folder in turn, the path's components from the first, the
// second, ... on, each matched exactly or else ignoring ASCII case.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vandrel {

class PathResolver {
 public:
  explicit PathResolver(std::vector<std::string> searchFolders = {});

  // The path itself when it exists; else, for a path holding a backslash, the first match below
  // the search folders; else empty. Paths with "." or ".." components are never searched for.
  std::string Resolve(const std::string& pathAsWritten);

 private:
  std::string FindBelow(const std::string& folder, const std::vector<std::string>& components,
                        std::size_t first);
  std::string MatchEntry(const std::string& folder, const std::string& name);

  std::vector<std::string> searchFolders_;
  // Sorted entry names of folders already listed for case-insensitive matching.
  std::map<std::string, std::vector<std::string>> listings_;
};

}  // namespace vandrel
