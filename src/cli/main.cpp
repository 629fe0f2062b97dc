// vandrel-cli: converts a Calypso export into one mbox file per folder, from a terminal.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/console_output.h"
#include "engine/conversion_job.h"
#include "engine/missing_files_report.h"
#include "engine/reading/export_encoding.h"
#include "vandrel/version.h"

namespace vandrel::cli {

namespace {

enum ExitCode : int {
  kFinished = 0,    // the run wrote every folder
  kRunFailed = 1,   // the run ended with an "Error: " line
  kUsageError = 2,  // the command line could not be understood
};

struct ConvertOptions {
  std::vector<std::string> attachmentFolders;
  std::string exportCodePage = std::string(kDefaultExportCodePage);
  bool thunderbird = false;
  bool quiet = false;
  std::vector<std::string> paths;  // INPUT OUTPUT, or [PROFILE_DIR] INPUT with --thunderbird
};

void AddConvertCommand(CLI::App& app, ConvertOptions& options) {
  CLI::App* convert =
      app.add_subcommand("convert",
                         "Convert the export INPUT into one mbox file per Calypso folder, named "
                         "after OUTPUT; or, with "
                         "--thunderbird, into new folders of a Thunderbird profile");
  convert->footer(
      "Forms:\n  vandrel-cli convert [OPTIONS] INPUT OUTPUT\n"
      "  vandrel-cli convert [OPTIONS] --thunderbird [PROFILE_DIR] INPUT");
  convert
      ->add_option("--attachments-dir", options.attachmentFolders,
                   "Folder to search for the HTML bodies and attached files the export names "
                   "by paths that do not exist here (may be repeated; the export's own folder "
                   "is searched last)")
      ->check(CLI::ExistingDirectory);
  convert->add_option("--export-codepage", options.exportCodePage,
                      "Code page of the export's text, an iconv name such as CP1250 "
                      "(default CP1252): folder names and subjects are shown and used in file "
                      "names in UTF-8");
  convert->add_flag("--thunderbird", options.thunderbird,
                    "Put the folders into the Thunderbird profile PROFILE_DIR (default: the "
                    "profile Thunderbird opens), below a new top folder \"Calypso\" of Local "
                    "Folders; Thunderbird must be closed");
  convert->add_flag("-q,--quiet", options.quiet, "Do not show the status line and progress bar");
  convert
      ->add_option("PATHS", options.paths,
                   "INPUT OUTPUT, or [PROFILE_DIR] INPUT with --thunderbird")
      ->required()
      ->expected(1, 2);
}

// The job's settings from the command line; false, with the reason, when they do not fit.
bool ToJobOptions(const ConvertOptions& options, ConversionOptions& job, std::string& input,
                  std::string& output, std::string& problem) {
  if (ExportEncoding::Create(options.exportCodePage) == nullptr) {
    problem = "unknown code page: " + options.exportCodePage;
    return false;
  }
  job.attachmentFolders = options.attachmentFolders;
  job.exportCodePage = options.exportCodePage;
  if (options.thunderbird) {
    job.thunderbirdProfile = options.paths.size() == 2 ? options.paths[0] : std::string();
    input = options.paths.back();
    return true;
  }
  if (options.paths.size() != 2) {
    problem = "OUTPUT is required (or --thunderbird)";
    return false;
  }
  input = options.paths[0];
  output = options.paths[1];
  return true;
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

int RunConversion(const ConversionOptions& jobOptions, const std::string& input,
                  const std::string& output, bool quiet) {
  // A file-size limit must end in an error line, not kill the process.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  ConsoleOutput console(stdout, stderr, !quiet && StderrIsTerminal());
  ActivityLog log;
  log.AttachEdit(&console);
  ConversionJob job;
  job.SetLog(&log);
  job.SetStatusSink(&console);
  job.SetOptions(jobOptions);
  if (!job.Start(input, output)) {
    std::fputs("vandrel-cli: could not start the conversion\n", stderr);
    return kRunFailed;
  }
  job.Wait();
  console.Finish();
  const std::string report = MissingFilesReport(job.MissingFiles());
  std::fputs(report.c_str(), stderr);
  return job.Succeeded() ? kFinished : kRunFailed;
}

}  // namespace

int Main(int argc, char** argv) {
  CLI::App app{"Vandrel converts a mailbox exported by Calypso into mbox files for Thunderbird."};
  app.set_version_flag("--version", "vandrel-cli " VANDREL_VERSION);
  app.require_subcommand(1);
  ConvertOptions options;
  AddConvertCommand(app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kFinished : kUsageError;
  }
  ConversionOptions jobOptions;
  std::string input, output, problem;
  if (!ToJobOptions(options, jobOptions, input, output, problem)) {
    std::fprintf(stderr, "%s\nRun with --help for more information.\n", problem.c_str());
    return kUsageError;
  }
  return RunConversion(jobOptions, input, output, options.quiet);
}

}  // namespace vandrel::cli

int main(int argc, char** argv) {
  return vandrel::cli::Main(argc, argv);
}
