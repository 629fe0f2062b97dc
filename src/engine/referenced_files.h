// The files an exported message names (its HTML body, its attachments): where they are on this
// system, and which of them could not be found or read, for the report at the end of a run.
#pragma once

#include <string>
#include <vector>

#include "engine/path_resolver.h"

namespace vandrel {

struct MissingFile {
  std::string path;  // as the export wrote it
  std::string folder;
  std::string subject;
};

class ReferencedFiles {
 public:
  explicit ReferencedFiles(std::vector<std::string> searchFolders = {});

  // The folder and subject that later reports are filed under.
  void BeginMessage(std::string folder, std::string subject);
  // The local path of a file named by the export; empty when it cannot be found.
  std::string Locate(const std::string& pathAsWritten);
  void ReportMissing(const std::string& pathAsWritten);

  const std::vector<MissingFile>& Missing() const { return missing_; }

 private:
  PathResolver resolver_;
  std::string folder_;
  std::string subject_;
  std::vector<MissingFile> missing_;
};

}  // namespace vandrel
