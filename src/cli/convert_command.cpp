#include "cli/convert_command.h"

#include <csignal>
#include <cstdio>

#include "cli/account_secrets.h"
#include "cli/command_help.h"
#include "cli/console_output.h"
#include "cli/exit_code.h"
#include "cli/stop_signals.h"
#include "cli/terminal_text.h"
#include "cli/utf8_console.h"
#include "engine/conversion.h"
#include "engine/end_of_run_report.h"
#include "log/visible_text.h"

namespace vandrel::cli {

namespace {

std::shared_ptr<CommandHelp> ConvertHelp() {
  return std::make_shared<CommandHelp>(
      std::vector<std::string>{"[OPTIONS] INPUT OUTPUT",
                               "[OPTIONS] --thunderbird [PROFILE_DIR] INPUT",
                               "[OPTIONS] --maildir DIR INPUT",
                               "[OPTIONS] --imap ADDRESS INPUT"},
      PathsHelp());
}

int RunRequest(const ConversionRequest& request, bool quiet) {
  // A file-size limit must end in an error line, not kill the process.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  StopSignals signals;
  ConsoleOutput console(stdout, stderr, !quiet && StderrIsTerminal());
  ActivityLog log;
  log.AttachEdit(&console);
  const ConversionResult result = Convert(request, RunReport{log, &console}, signals.Token());
  console.Finish();
  WriteText(stderr, TerminalLines(EndOfRunReport(result.findings)));
  // Stopped by a signal: the status a shell expects of a program the signal ended.
  if (result.stopped && signals.Received() != 0) return kSignalBase + signals.Received();
  // A message the destination did not store fails the run, though every other one went in.
  return result.succeeded && result.findings.notStored.empty() ? kFinished : kRunFailed;
}

}  // namespace

CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options) {
  CLI::App* convert = app.add_subcommand(
      "convert",
      "Convert a Calypso export into one mbox file per Calypso folder, or into new folders of a "
      "Thunderbird profile, a Maildir or a mail account");
  convert->formatter(ConvertHelp());
  AddRequestOptions(*convert, options.request);
  convert->add_flag("-q,--quiet", options.quiet, "Do not show the status line and progress bar");
  convert
      ->add_option("--threads", options.threads,
                   "How many threads convert messages (default: one per core, 8 at most);\n"
                   "the files are the same however many")
      ->option_text("N")
      ->check(CLI::Range(1u, 64u));
  return convert;
}

int RunConvert(const ConvertOptions& options) {
  ConversionRequest request;
  bool hasOutput = false;
  std::string problem;
  if (!ToRequest(options.request, true, request, hasOutput, problem)) {
    WriteText(stderr, TerminalText(problem) + "\nRun with --help for more information.\n");
    return kUsageError;
  }
  if (!ReadSecretsFor(options.request, request)) return kRunFailed;
  request.threads = options.threads;
  return RunRequest(request, options.quiet);
}

}  // namespace vandrel::cli
