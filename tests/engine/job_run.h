// A conversion run in a temporary folder with recording sinks, for tests of one failure each.
#pragma once

#include <string>

#include "engine/conversion_job.h"
#include "recording_sinks.h"
#include "temp_folder.h"

namespace vandrel {

class JobRun {
 public:
  JobRun() {
    log_.AttachEdit(&view_);
    job_.SetLog(&log_);
    job_.SetStatusSink(&status_);
  }

  // Runs from `input` to `output` (both as given); true when every folder was written.
  bool Run(const std::string& input, const std::string& output) {
    if (!job_.Start(input, output)) return false;
    job_.Wait();
    return job_.Succeeded();
  }

  std::string Path(const std::string& name) const { return (folder_.Path() / name).string(); }
  const std::string& Log() const { return view_.text; }
  const std::string& LastStatus() const { return status_.texts.back(); }
  TempFolder& Folder() { return folder_; }

 private:
  TempFolder folder_;
  RecordingLogView view_;
  RecordingStatus status_;
  ActivityLog log_;
  ConversionJob job_;
};

inline std::string OneMessageIn(const std::string& folder) {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: s\r\nX-CalypsoFolder: " + folder +
         "\r\n\r\nText\r\n";
}

}  // namespace vandrel
