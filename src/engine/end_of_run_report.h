// The summary after a run of what the user must look at: the files the export names that could
// not be found or read, the messages that could not be converted in full, and the files named
// in the text of messages.
#pragma once

#include <string>

#include "engine/converting/run_findings.h"

namespace vandrel {

inline constexpr std::size_t kFindingsListed = 20;

// Empty when there is nothing to say. For each kind of finding a count line, then up to
// `listed` lines "what (folder, subject)", then "... and N more". Lines end in "\n".
std::string EndOfRunReport(const RunFindings& findings, std::size_t listed = kFindingsListed);

}  // namespace vandrel
