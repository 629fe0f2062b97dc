// "vandrel-cli convert": its options, how they are declared, and the run they start.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/request_options.h"

namespace vandrel::cli {

struct ConvertOptions {
  RequestOptions request;
  bool quiet = false;
  unsigned threads = 0;  // 0: one per core
};

// Declares the subcommand on the app; parsing fills `options`.
CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options);

// Converts as the options say; returns the exit status.
int RunConvert(const ConvertOptions& options);

}  // namespace vandrel::cli
