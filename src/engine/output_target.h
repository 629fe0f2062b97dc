// Where a run writes its folders: mbox files named after the output path, or new folders in a
// Thunderbird profile's Local Folders.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/output_names.h"

namespace vandrel {

class OutputTarget {
 public:
  virtual ~OutputTarget() = default;

  // Before the export is read: empty when the target can take the run, else the error.
  virtual std::string Check() { return {}; }
  // Makes what the folders go into; empty, or the error.
  virtual std::string Prepare() { return {}; }
  // What the log names as the output.
  virtual std::string Description() const = 0;
  // The file for the next folder: its name as the system writes it, and its cleaned form.
  virtual std::string FileFor(const std::string& folderName, const std::string& cleanedName) = 0;
  // After every folder was written: empty, or a note for the log.
  virtual std::string Finish() { return {}; }
};

// The output path with every ".mbx" replaced by the cleaned folder name, and ".mbx" appended;
// a name Thunderbird could not open as it is gets the name Thunderbird would give it.
class MbxFiles : public OutputTarget {
 public:
  explicit MbxFiles(std::string outputPath) : outputPath_(std::move(outputPath)) {}
  std::string Description() const override { return outputPath_; }
  std::string FileFor(const std::string& folderName, const std::string& cleanedName) override;

 private:
  std::string outputPath_;
  OutputNames names_;
};

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
  std::vector<std::string> usedNames_;                          // lower-case
  std::vector<std::pair<std::string, std::string>> longNames_;  // summary file, folder name
};

}  // namespace vandrel
