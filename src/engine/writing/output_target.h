// Where a run writes its folders: mbox files named after the output path, or new folders in a
// Thunderbird profile's Local Folders.
#pragma once

#include <string>

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

}  // namespace vandrel
