// The profile output: new folders in a Thunderbird profile's Local Folders.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/writing/output_target.h"

namespace vandrel {

// One folder per Calypso folder below a new top folder ("Calypso", "Calypso-2", ...) of the
// profile's Local Folders, laid out as Thunderbird lays out its own subfolders.
class ThunderbirdFolders : public OutputTarget {
 public:
  // An empty profile means the default profile.
  explicit ThunderbirdFolders(std::string profile);
  std::string Check() override;
  std::string Prepare() override;
  std::string Description() const override { return topFolder_; }
  std::string FileFor(const std::string& folderName, const std::string& cleanedName) override;
  std::string Finish() override;

 private:
  std::string profile_;
  std::string topFolder_;
  bool IsUsed(const std::string& fileName) const;

  std::vector<std::string> usedNames_;                          // FileNameKey
  std::vector<std::pair<std::string, std::string>> longNames_;  // summary file, folder name
};

}  // namespace vandrel
