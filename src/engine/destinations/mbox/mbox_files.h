// The plain output: one mbox file per folder, named after the output path.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/destinations/destination.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_names.h"
#include "engine/writing/run_lock.h"

namespace vandrel {

// An output path that names a file: every ".mbx" of its file name replaced by the cleaned folder
// name, and ".mbx" appended. One that names an existing folder, or ends in a path separator:
// one file per folder in it, named by the cleaned folder name. A name Thunderbird could not
// open as it is gets the name Thunderbird would give it.
class MboxFiles : public Destination {
 public:
  explicit MboxFiles(std::string outputPath);
  // The folder the files go into exists, takes new files, and no other run writes files of
  // this output path there.
  std::string Check() override;
  std::string Inspect() override;
  // One flat file per folder, as the files were always named.
  bool FlattensFolders() const override { return true; }
  std::string Description() const override { return outputPath_; }
  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;
  // Every file is complete and on the disk before any shows under its name: the file system
  // is flushed once for all of them, not file by file.
  std::string Finish() override;
  // The files of the folders that were complete stay; the one being written goes.
  std::string Abandon() override;

  // How this run's temporary files beside the folders' files begin.
  const std::string& TemporaryPrefix() const { return temporaryPrefix_; }

 private:
  // The folder the files go into, and the names of this run's own files there.
  std::string FindFolder();
  std::string LockFile() const;
  std::string FileFailed();
  std::string PutCompletedInPlace();

  std::string outputPath_;
  bool intoFolder_;
  std::string folder_;
  std::string runName_;          // ".vandrel-<hash of the output's file name>"
  std::string temporaryPrefix_;  // the run name and "-"
  RunLock lock_;
  OutputNames names_;
  struct CompletedFile {
    std::unique_ptr<OutputFile> file;  // closed, under its temporary name
    std::string name;
  };
  std::unique_ptr<OutputFile> file_;
  std::string fileName_;  // of the folder being written
  std::vector<CompletedFile> completed_;
};

}  // namespace vandrel
