#include "cli/convert_command.h"

#include <csignal>
#include <cstdio>

#include "cli/account_secrets.h"
#include "cli/command_help.h"
#include "cli/console_output.h"
#include "cli/exit_code.h"
#include "cli/stop_signals.h"
#include "cli/terminal_text.h"
#include "cli/usage_errors.h"
#include "cli/utf8_console.h"
#include "engine/conversion.h"
#include "engine/end_of_run_report.h"
#include "texts/texts.h"

namespace vandrel::cli {

namespace {

std::shared_ptr<CommandHelp> ConvertHelp() {
  return std::make_shared<CommandHelp>(
      std::vector<std::string>{std::string(Tr("[OPTIONS] INPUT OUTPUT")),
                               std::string(Tr("[OPTIONS] --thunderbird [PROFILE_DIR] INPUT")),
                               std::string(Tr("[OPTIONS] --maildir DIR INPUT")),
                               std::string(Tr("[OPTIONS] --imap ADDRESS INPUT"))},
      PathsHelp());
}

constexpr unsigned kFewestThreads = 1;
constexpr unsigned kMostThreads = 64;

// CLI::Range's check and its words, in the current language.
CLI::Validator ThreadCount() {
  const std::string type =
      "UINT in [" + std::to_string(kFewestThreads) + " - " + std::to_string(kMostThreads) + "]";
  return CLI::Validator(
      [](std::string& input) -> std::string {
        unsigned threads = 0;
        if (CLI::detail::lexical_cast(input, threads) && threads >= kFewestThreads &&
            threads <= kMostThreads)
          return {};
        return Format(Tr("Value %1 not in range %2 to %3"), input, kFewestThreads, kMostThreads);
      },
      type);
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
  CLI::App* convert = AddCommand(
      app, "convert",
      std::string(Tr("Convert a Calypso export into one mbox file per Calypso folder, or into new "
                     "folders of a Thunderbird profile, a Maildir or a mail account")));
  convert->formatter(ConvertHelp());
  AddRequestOptions(*convert, options.request);
  convert->add_flag("-q,--quiet", options.quiet,
                    std::string(Tr("Do not show the status line and progress bar")));
  convert
      ->add_option("--threads", options.threads,
                   std::string(Tr("How many threads convert messages (default: one per core, 8 at "
                                  "most);\nthe files are the same however many")))
      ->option_text("N")
      ->check(ThreadCount());
  return convert;
}

int RunConvert(const ConvertOptions& options) {
  ConversionRequest request;
  bool hasOutput = false;
  std::string problem;
  if (!ToRequest(options.request, true, request, hasOutput, problem)) {
    WriteText(stderr, UsageErrorLines(problem));
    return kUsageError;
  }
  if (!ReadSecretsFor(options.request, request)) return kRunFailed;
  request.threads = options.threads;
  return RunRequest(request, options.quiet);
}

}  // namespace vandrel::cli
