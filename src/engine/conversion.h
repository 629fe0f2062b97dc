// One conversion from start to end, on the caller's thread: the export is read, then every
// folder is written, every message through the converter. It reports as it goes to the activity
// log and the status sink, and stops, cleaning up, when asked to.
#pragma once

#include <stop_token>
#include <string_view>

#include "engine/conversion_request.h"
#include "engine/converting/run_findings.h"
#include "engine/status_sink.h"
#include "log/activity_log.h"

namespace vandrel {

// The status line after a run that ended with an "Error: " line.
inline constexpr std::string_view kFailedStatus = "failed: see the log";

// Where a run reports while it goes; the status may be left out.
struct RunReport {
  ActivityLog& log;
  StatusSink* status = nullptr;
};

struct ConversionResult {
  bool succeeded = false;  // every folder was written; false after an "Error: " line
  bool stopped = false;    // it ended because it was asked to stop
  RunFindings findings;    // what the user must hear of at the end
};

// A stop request takes effect before the next message or attached file is read; the files
// that were complete stay, the one being written is removed, and the log ends with
// "Error: conversion stopped.".
ConversionResult Convert(const ConversionRequest& request, const RunReport& report,
                         std::stop_token stop = {});

}  // namespace vandrel
