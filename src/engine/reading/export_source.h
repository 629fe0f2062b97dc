// The export's text, ready to be split into lines: the file itself when it is text in its own
// code page; else a temporary copy converted back into that code page, for an export that an
// editor saved again as UTF-16 or as UTF-8 with a byte order mark.
#pragma once

#include <cstdint>
#include <string>

#include "engine/reading/export_encoding.h"
#include "engine/reading/input_file.h"

namespace vandrel {

struct ExportSource {
  FilePointer file;   // null when the export could not be opened or read
  std::string start;  // bytes already taken from `file`, which come before the rest of it
  std::uint64_t startOffset = 0;  // where in `file` the text, `start` first, begins
  std::string note;               // what was done to the text, for the log; empty when nothing
  int errorNumber = 0;
};

ExportSource OpenExportSource(const std::string& path, ExportEncoding& encoding);

}  // namespace vandrel
