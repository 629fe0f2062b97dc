// What a run is asked to do: which export, where its folders go, and how to read it.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "engine/reading/export_encoding.h"

namespace vandrel {

// One mbox file per folder, named after the output path (a file name, or a folder).
struct MboxFilesOutput {
  std::string outputPath;
};

// New folders below Local Folders of a Thunderbird profile; empty: the default profile.
struct ThunderbirdOutput {
  std::string profile;
};

using ConversionOutput = std::variant<MboxFilesOutput, ThunderbirdOutput>;

struct ConversionRequest {
  std::string inputPath;
  ConversionOutput output;
  // Searched, in this order and before the export's own folder, for the files the export names
  // by paths that do not exist here.
  std::vector<std::string> attachmentFolders;
  // The code page of the export's text; its folder names and subjects become file names and
  // texts shown in the system's own form.
  std::string exportCodePage = std::string(kDefaultExportCodePage);
  // Threads that convert messages; 0: one per core (a few at most). With 1 the run's own
  // thread does all.
  unsigned threads = 0;
};

}  // namespace vandrel
