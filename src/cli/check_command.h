// "vandrel-cli check": reads an export as "convert" would and tells what converting it would do
// (its folders, the files they would go to, what could not be found), writing nothing.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/request_options.h"

namespace vandrel::cli {

struct CheckOptions {
  RequestOptions request;
};

CLI::App* AddCheckCommand(CLI::App& app, CheckOptions& options);

// Exit status 0 when the export can be converted, 1 when a conversion would end in an error.
int RunCheck(const CheckOptions& options);

}  // namespace vandrel::cli
