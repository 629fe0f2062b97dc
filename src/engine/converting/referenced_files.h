// The files an exported message names (its HTML body, its attachments): where they are on this
// system, and which of them could not be found or read, for the report at the end of a run.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "engine/converting/path_resolver.h"
#include "engine/converting/run_findings.h"
#include "engine/reading/export_encoding.h"

namespace vandrel {

class ReferencedFiles {
 public:
  // Missing files go to `findings`, filed under its message in hand. Without an encoding,
  // texts are taken as they are.
  ReferencedFiles(std::vector<std::string> searchFolders, ExportEncoding* encoding,
                  FindingsLog& findings);

  // The local path of a file named by the export; empty when it cannot be found. Files copied
  // from Windows carry their names in the system's text form, so that form is tried as well.
  std::string Locate(const std::string& pathAsWritten);
  void ReportMissing(const std::string& pathAsWritten);

  // A run asked to stop reads no more files.
  void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }
  bool StopRequested() const { return stop_.stop_requested(); }

 private:
  PathResolver resolver_;
  ExportEncoding* encoding_;
  FindingsLog& findings_;
  std::stop_token stop_;
};

}  // namespace vandrel
