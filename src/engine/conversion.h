// One conversion from start to end, on the caller's thread: the export is read, then every
// folder goes to the request's destination, every message through the converter.
#pragma once

#include <stop_token>

#include "engine/conversion_request.h"
#include "engine/converting/run_findings.h"
#include "engine/pipeline.h"

namespace vandrel {

struct ConversionResult {
  bool succeeded = false;  // every folder was written; false after an "Error: " line
  bool stopped = false;    // it ended because it was asked to stop
  RunFindings findings;    // what the user must hear of at the end
};

// A stop request takes effect before the next message or attached file is read; what was
// complete stays, what was being written is removed, and the log ends with
// "Error: conversion stopped.".
ConversionResult Convert(const ConversionRequest& request, const RunReport& report,
                         std::stop_token stop = {});

}  // namespace vandrel
