// A look at an export before it is converted: it is read as a run reads it, and every message
// goes through the converter, but the files it names are only opened and measured, and nothing
// is written anywhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/conversion_request.h"
#include "engine/converting/run_findings.h"
#include "engine/status_sink.h"

namespace vandrel {

struct FolderPlan {
  std::string name;  // in the system's form
  std::size_t messages = 0;
  std::string file;  // what a run would write it to; empty without an output to look at
};

struct ExportCheck {
  // The error a run would end with (no export, an output folder missing, a profile in use);
  // empty when it would convert.
  std::string error;
  std::vector<FolderPlan> folders;  // in the order a run writes them
  RunFindings findings;             // what a run would report at its end
  std::size_t messages = 0;
  std::size_t filesFound = 0;
};

// Without `lookAtOutput` the request's output is not looked at: the folders get no file.
ExportCheck CheckExport(const ConversionRequest& request, bool lookAtOutput,
                        StatusSink* status = nullptr);

}  // namespace vandrel
