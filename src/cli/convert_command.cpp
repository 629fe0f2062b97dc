#include "cli/convert_command.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/command_help.h"
#include "cli/console_output.h"
#include "cli/exit_code.h"
#include "cli/stop_signals.h"
#include "engine/conversion.h"
#include "engine/end_of_run_report.h"
#include "engine/utf8_path.h"

namespace vandrel::cli {

namespace {

std::shared_ptr<CommandHelp> ConvertHelp() {
  return std::make_shared<CommandHelp>(
      std::vector<std::string>{"[OPTIONS] INPUT OUTPUT",
                               "[OPTIONS] --thunderbird [PROFILE_DIR] INPUT"},
      std::vector<PositionalHelp>{
          {"INPUT", "The mailbox file Calypso exported"},
          {"OUTPUT",
           "A file name such as out/mail.mbx: one file per Calypso folder, its name\n"
           "in place of .mbx (out/mailInbox.mbx, out/mailSent_Items.mbx); or an\n"
           "existing folder, or a path ending in /: one file per Calypso folder in it\n"
           "(out/Inbox.mbx). The folder must exist"},
          {"PROFILE_DIR",
           "With --thunderbird: the Thunderbird profile to put the folders into\n"
           "(default: the profile Thunderbird opens)"}});
}

// The run's request from the command line; false, with the reason, when it does not fit.
bool ToRequest(const ConvertOptions& options, ConversionRequest& request, std::string& problem) {
  if (ExportEncoding::Create(options.exportCodePage) == nullptr) {
    problem = "unknown code page: " + options.exportCodePage;
    return false;
  }
  request.attachmentFolders = options.attachmentFolders;
  request.exportCodePage = options.exportCodePage;
  request.threads = options.threads;
  const std::vector<std::string>& paths = options.paths;
  if (options.thunderbird) {
    if (paths.empty()) {
      problem = "INPUT is required";
      return false;
    }
    request.output = ThunderbirdOutput{paths.size() == 2 ? paths[0] : std::string()};
    request.inputPath = paths.back();
    return true;
  }
  if (paths.size() != 2) {
    problem =
        paths.empty() ? "INPUT and OUTPUT are required" : "OUTPUT is required (or --thunderbird)";
    return false;
  }
  request.inputPath = paths[0];
  request.output = MboxFilesOutput{paths[1]};
  return true;
}

// CLI11's own check takes the name in the system's narrow encoding; this one takes UTF-8.
CLI::Validator ExistingFolder() {
  return CLI::Validator(
      [](std::string& folder) -> std::string {
        std::error_code error;
        const std::filesystem::file_status status =
            std::filesystem::status(Utf8Path(folder), error);
        if (!std::filesystem::exists(status)) return "Directory does not exist: " + folder;
        if (!std::filesystem::is_directory(status))
          return "Directory is actually a file: " + folder;
        return {};
      },
      "DIR");
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
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
  const std::string report = EndOfRunReport(result.findings);
  std::fputs(report.c_str(), stderr);
  // Stopped by a signal: the status a shell expects of a program the signal ended.
  if (result.stopped && signals.Received() != 0) return kSignalBase + signals.Received();
  return result.succeeded ? kFinished : kRunFailed;
}

}  // namespace

CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options) {
  CLI::App* convert = app.add_subcommand(
      "convert",
      "Convert a Calypso export into one mbox file per Calypso folder, or into new folders of a "
      "Thunderbird profile");
  convert->formatter(ConvertHelp());
  convert
      ->add_option("--attachments-dir", options.attachmentFolders,
                   "A folder to search for the HTML bodies and attached files that the export\n"
                   "names by paths that do not exist here; one folder each time, may be\n"
                   "repeated (the export's own folder is searched last)")
      ->option_text("DIR")
      ->allow_extra_args(false)
      ->check(ExistingFolder());
  convert
      ->add_option("--export-codepage", options.exportCodePage,
                   "The code page of the export's text, such as CP1250 (default " +
                       DefaultExportCodePage() +
                       ");\n"
                       "folder names and subjects are shown and used in file names in UTF-8")
      ->option_text("CP");
  convert->add_flag("--thunderbird", options.thunderbird,
                    "Put the folders into a Thunderbird profile, below a new top folder\n"
                    "\"Calypso\" of Local Folders; Thunderbird must be closed");
  convert->add_flag("-q,--quiet", options.quiet, "Do not show the status line and progress bar");
  convert
      ->add_option("--threads", options.threads,
                   "How many threads convert messages (default: one per core, 8 at most);\n"
                   "the files are the same however many")
      ->option_text("N")
      ->check(CLI::Range(1u, 64u));
  convert->add_option("PATHS", options.paths)->expected(1, 2);
  return convert;
}

int RunConvert(const ConvertOptions& options) {
  ConversionRequest request;
  std::string problem;
  if (!ToRequest(options, request, problem)) {
    std::fprintf(stderr, "%s\nRun with --help for more information.\n", problem.c_str());
    return kUsageError;
  }
  return RunRequest(request, options.quiet);
}

}  // namespace vandrel::cli
