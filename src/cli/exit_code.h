// vandrel-cli's exit statuses.
#pragma once

namespace vandrel::cli {

enum ExitCode : int {
  kFinished = 0,    // the run wrote every folder
  kRunFailed = 1,   // the run ended with an "Error: " line
  kUsageError = 2,  // the command line could not be understood
};

}  // namespace vandrel::cli
