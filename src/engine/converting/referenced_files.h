// The files an exported message names (its HTML body, its attachments): where they are on this
// system, and which of them could not be found or read, for the report at the end of a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/converting/path_resolver.h"
#include "engine/converting/run_findings.h"
#include "engine/reading/export_encoding.h"
#include "mime/mime_part.h"

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
  // A path that the text of a message names, which is not looked for.
  void ReportNamedInText(const std::string& pathAsWritten);

  // How a found file is taken: read into its part, or only opened and measured, for a run
  // that looks at an export without converting it.
  enum class Use { kRead, kMeasure };
  void SetUse(Use use) { use_ = use; }
  bool Measuring() const { return use_ == Use::kMeasure; }
  // Takes the file into the part as `use` says; false when it cannot be read.
  bool TakeInto(mime::MimePart& part, const std::string& localPath, std::string_view partName);
  // What the message's parts will add when stored, beyond what they hold: the files measured
  // but not read, by the most their encoding makes of them.
  std::int64_t UnreadBytes(const mime::MailMessage& message) const;
  // Files taken so far.
  std::size_t FilesFound() const { return filesFound_; }
  // The measures of the message before are let go.
  void NewMessage() { unread_.clear(); }

  // A run asked to stop reads no more files.
  void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }
  bool StopRequested() const { return stop_.stop_requested(); }

 private:
  std::string Shown(const std::string& pathAsWritten) const;

  PathResolver resolver_;
  ExportEncoding* encoding_;
  FindingsLog& findings_;
  std::stop_token stop_;
  Use use_ = Use::kRead;
  std::unordered_map<const mime::MimePart*, std::int64_t> unread_;
  std::size_t filesFound_ = 0;
};

}  // namespace vandrel
