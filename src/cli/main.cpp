// vandrel-cli: converts a Calypso export into one mbox file per folder, from a terminal.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/console_output.h"
#include "engine/missing_files_report.h"
#include "engine/conversion_job.h"
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
  bool quiet = false;
  std::string input;
  std::string output;
};

void AddConvertCommand(CLI::App& app, ConvertOptions& options) {
  CLI::App* convert = app.add_subcommand(
      "convert",
      "Convert the export INPUT into one mbox file per Calypso folder, named after OUTPUT");
  convert
      ->add_option("--attachments-dir", options.attachmentFolders,
                   "Folder to search for the HTML bodies and attached files the export names "
                   "by paths that do not exist here (may be repeated; the export's own folder "
                   "is searched last)")
      ->check(CLI::ExistingDirectory);
  convert->add_flag("-q,--quiet", options.quiet, "Do not show the status line and progress bar");
  convert->add_option("INPUT", options.input, "The mailbox file exported by Calypso")->required();
  convert
      ->add_option("OUTPUT", options.output,
                   "Output path, normally ending in .mbx: each folder's file takes its name "
                   "with the folder name in place of .mbx")
      ->required();
}

int RunConversion(const ConvertOptions& options) {
  // A file-size limit must end in an error line, not kill the process.
  std::signal(SIGXFSZ, SIG_IGN);
  ConsoleOutput console(stdout, stderr, !options.quiet && ::isatty(STDERR_FILENO) == 1);
  ActivityLog log;
  log.AttachEdit(&console);
  ConversionJob job;
  job.SetLog(&log);
  job.SetStatusSink(&console);
  job.SetOptions(ConversionOptions{options.attachmentFolders});
  if (!job.Start(options.input, options.output)) {
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
  return RunConversion(options);
}

}  // namespace vandrel::cli

int main(int argc, char** argv) {
  return vandrel::cli::Main(argc, argv);
}
