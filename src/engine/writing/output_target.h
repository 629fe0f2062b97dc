// Where a run writes its folders: mbox files named after the output path, or new folders in a
// Thunderbird profile's Local Folders. A target is used for one run, in this order: Check,
// Prepare, FileFor for each folder, then Finish, or Abandon after a failure or a stop.
#pragma once

#include <string>

namespace vandrel {

class OutputTarget {
 public:
  virtual ~OutputTarget() = default;

  // Before the export is read: takes the place for this run alone, and makes sure it can take
  // the run. Empty, or the error.
  virtual std::string Check() = 0;
  // The same checks for a run that only looks at the export: nothing is taken, made or
  // removed, and FileFor then names the files where they would be in the end.
  virtual std::string Inspect() = 0;
  // After the export was read: makes what the folders go into. Empty, or the error.
  virtual std::string Prepare() { return {}; }
  // What the log names as the output.
  virtual std::string Description() const = 0;
  // The file for the next folder: its name as the system writes it, and its cleaned form.
  virtual std::string FileFor(const std::string& folderName, const std::string& cleanedName) = 0;
  // How the temporary files of this run beside the folders' files begin.
  virtual std::string TemporaryPrefix() const = 0;
  // After every folder was written: puts the run's work in place. Empty, or the error.
  virtual std::string Finish() { return {}; }
  // After Finish: a note for the log, or empty.
  virtual std::string Note() const { return {}; }
  // After a failure or a stop: removes what the run made. Returns what the error line adds
  // about it, or empty.
  virtual std::string Abandon() { return {}; }
};

}  // namespace vandrel
