// vandrel-cli's exit statuses.
#pragma once

namespace vandrel::cli {

enum ExitCode : int {
  kFinished = 0,    // the run wrote every folder
  kRunFailed = 1,   // the run ended with an "Error: " line
  kUsageError = 2,  // the command line could not be understood
  // Stopped by a signal and cleaned up: 128 + the signal, as a shell reports a program the
  // signal ended (130 for SIGINT, 143 for SIGTERM).
  kSignalBase = 128,
};

}  // namespace vandrel::cli
