// A whole run in a temporary folder with recording sinks, for the tests of whole runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/conversion.h"
#include "recording_sinks.h"
#include "temp_folder.h"

namespace vandrel {

// `headers`: more header lines, each ending in CR LF.
inline std::string Message(const std::string& folder, const std::string& subject,
                           const std::string& headers = {}) {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject +
         "\r\nX-CalypsoFolder: " + folder + "\r\n" + headers + "\r\nText of " + subject + "\r\n";
}

inline int CountSeparators(const std::string& mbox) {
  int count = 0;
  for (std::size_t at = 0; (at = mbox.find("From ", at)) != std::string::npos; at += 5) {
    if (at == 0 || mbox[at - 1] == '\n') ++count;
  }
  return count;
}

class ConversionTest : public ::testing::Test {
 protected:
  ConversionTest() { log_.AttachEdit(&view_); }

  bool RunOn(const std::string& exportText, const std::string& outputName) {
    const std::string input = folder_.WriteFile("export.txt", exportText);
    return Run(input, (folder_.Path() / outputName).string());
  }

  bool Run(const std::string& input, const std::string& output) {
    result_ = Convert({input, ConversionOutput{DestinationKind::kMboxFiles, output}, {}},
                      RunReport{log_, &status_});
    return result_.succeeded;
  }

  std::string Out(const std::string& name) const { return (folder_.Path() / name).string(); }

  TempFolder folder_;
  RecordingLogView view_;
  RecordingStatus status_;
  ActivityLog log_;
  ConversionResult result_;
};

// The names in the folder but the export: what a run left behind.
inline std::set<std::string> Written(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "export.txt") names.insert(name);
  }
  return names;
}

}  // namespace vandrel
