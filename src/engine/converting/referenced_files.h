// The files an exported message names (its HTML body, its attachments): where they are on this
// system, and which of them could not be found or read, for the report at the end of a run.
#pragma once

#include <string>
#include <vector>

#include "engine/converting/path_resolver.h"
#include "engine/reading/export_encoding.h"

namespace vandrel {

struct MissingFile {
  // As the export wrote them, in the system's text form.
  std::string path;
  std::string folder;
  std::string subject;
};

class ReferencedFiles {
 public:
  // Without an encoding, texts are taken as they are.
  explicit ReferencedFiles(std::vector<std::string> searchFolders = {},
                           ExportEncoding* encoding = nullptr);

  // The folder and subject that later reports are filed under, in the system's text form.
  void BeginMessage(std::string folder, std::string subject);
  // The local path of a file named by the export; empty when it cannot be found. Files copied
  // from Windows carry their names in the system's text form, so that form is tried as well.
  std::string Locate(const std::string& pathAsWritten);
  void ReportMissing(const std::string& pathAsWritten);

  const std::vector<MissingFile>& Missing() const { return missing_; }

 private:
  PathResolver resolver_;
  ExportEncoding* encoding_;
  std::string folder_;
  std::string subject_;
  std::vector<MissingFile> missing_;
};

}  // namespace vandrel
