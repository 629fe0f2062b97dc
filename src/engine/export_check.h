// A look at an export before it is converted: it goes through the same pipeline as a run, every
// message through the converter, but the files it names are only opened and measured, and
// nothing is written anywhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/conversion_request.h"
#include "engine/converting/run_findings.h"
#include "engine/destinations/counting_destination.h"
#include "engine/status_sink.h"

namespace vandrel {

struct ExportCheck {
  // The error a run would end with (no export, an output folder missing, a profile in use);
  // empty when it would convert.
  std::string error;
  std::vector<FolderPlan> folders;  // in the order a run writes them
  RunFindings findings;             // what a run would report at its end
  std::size_t messages = 0;
  std::size_t filesFound = 0;
};

// Without `lookAtOutput` the request's output is not looked at: the folders get no place.
ExportCheck CheckExport(const ConversionRequest& request, bool lookAtOutput,
                        StatusSink* status = nullptr);

}  // namespace vandrel
