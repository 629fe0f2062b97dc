// The one way through an export, for converting it and for looking at it first: the export is
// read, every message converted on the worker threads and handed, in export order, to a
// destination. It reports as it goes to the activity log and the status sink, and stops,
// cleaning up, when asked to.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>

#include "engine/conversion_request.h"
#include "engine/converting/run_findings.h"
#include "engine/destinations/destination.h"
#include "engine/status_sink.h"
#include "log/activity_log.h"
#include "texts/texts.h"

namespace vandrel {

// The status line after a run that ended with an "Error: " line, in English: shown through Tr.
inline constexpr std::string_view kFailedStatus = TrNoop("failed: see the log");

// Where a run reports while it goes; the status may be left out.
struct RunReport {
  ActivityLog& log;
  StatusSink* status = nullptr;
};

enum class PipelineUse {
  kConvert,  // every message is stored
  kLook,     // the files messages name are only measured, and nothing is stored
};

struct PipelineResult {
  bool succeeded = false;      // every folder went through; false after an "Error: " line
  bool stopped = false;        // it ended because it was asked to stop
  std::string error;           // the error line's text, without "Error: "
  RunFindings findings;        // what the user must hear of at the end
  std::size_t messages = 0;    // in the export
  std::size_t filesFound = 0;  // named by messages, found and readable
};

PipelineResult RunPipeline(const ConversionRequest& request, Destination& destination,
                           PipelineUse use, const RunReport& report, std::stop_token stop = {});

}  // namespace vandrel
