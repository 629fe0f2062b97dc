// "vandrel-cli convert": its options, how they are declared, and the run they start.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "engine/reading/export_encoding.h"

namespace vandrel::cli {

struct ConvertOptions {
  std::vector<std::string> attachmentFolders;
  std::string exportCodePage = DefaultExportCodePage();
  bool thunderbird = false;
  bool quiet = false;
  unsigned threads = 0;            // 0: one per core
  std::vector<std::string> paths;  // INPUT OUTPUT, or [PROFILE_DIR] INPUT with --thunderbird
};

// Declares the subcommand on the app; parsing fills `options`.
CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options);

// Converts as the options say; returns the exit status.
int RunConvert(const ConvertOptions& options);

}  // namespace vandrel::cli
