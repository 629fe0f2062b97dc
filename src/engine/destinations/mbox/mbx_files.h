// The plain output: one mbox file per folder, named after the output path.
#pragma once

#include <string>

#include "engine/writing/output_names.h"
#include "engine/writing/output_target.h"
#include "engine/writing/run_lock.h"

namespace vandrel {

// An output path that names a file: every ".mbx" of its file name replaced by the cleaned folder
// name, and ".mbx" appended. One that names an existing folder, or ends in a path separator:
// one file per folder in it, named by the cleaned folder name. A name Thunderbird could not
// open as it is gets the name Thunderbird would give it.
class MbxFiles : public OutputTarget {
 public:
  explicit MbxFiles(std::string outputPath);
  // The folder the files go into exists, takes new files, and no other run writes files of
  // this output path there.
  std::string Check() override;
  std::string Inspect() override;
  std::string Description() const override { return outputPath_; }
  std::string FileFor(const std::string& folderName, const std::string& cleanedName) override;
  std::string TemporaryPrefix() const override { return temporaryPrefix_; }

 private:
  // The folder the files go into, and the names of this run's own files there.
  std::string FindFolder();
  std::string LockFile() const;

  std::string outputPath_;
  bool intoFolder_;
  std::string folder_;
  std::string runName_;          // ".vandrel-<hash of the output's file name>"
  std::string temporaryPrefix_;  // the run name and "-"
  RunLock lock_;
  OutputNames names_;
};

}  // namespace vandrel
