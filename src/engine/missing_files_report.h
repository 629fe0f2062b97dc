// The summary, after a run, of the files the export names that could not be found or read.
#pragma once

#include <string>
#include <vector>

#include "engine/converting/referenced_files.h"

namespace vandrel {

inline constexpr std::size_t kMissingFilesListed = 20;

// Empty when nothing is missing; else a count line, then up to kMissingFilesListed lines
// "path (folder, subject)", then "... and N more". Lines end in "\n".
std::string MissingFilesReport(const std::vector<MissingFile>& missing);

}  // namespace vandrel
