#include "cli/check_command.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "cli/account_secrets.h"
#include "cli/command_help.h"
#include "cli/console_output.h"
#include "cli/exit_code.h"
#include "cli/terminal_text.h"
#include "cli/utf8_console.h"
#include "engine/end_of_run_report.h"
#include "engine/export_check.h"
#include "log/visible_text.h"

namespace vandrel::cli {

namespace {

std::string Plural(std::size_t count, const std::string& one, const std::string& more) {
  return std::to_string(count) + " " + (count == 1 ? one : more);
}

// One line per folder, "  COUNT  NAME  ->  FILE"; the findings, every one of them; the totals.
std::string CheckText(const ExportCheck& check) {
  std::string text;
  for (const FolderPlan& folder : check.folders) {
    const std::string count = std::to_string(folder.messages);
    text += std::string(count.size() < 7 ? 7 - count.size() : 0, ' ') + count + "  " +
            TerminalText(folder.name);
    if (!folder.place.empty()) text += "  ->  " + TerminalText(folder.place);
    text += "\n";
  }
  text += TerminalLines(EndOfRunReport(check.findings, std::numeric_limits<std::size_t>::max()));
  text += Plural(check.messages, "message", "messages") + " in " +
          Plural(check.folders.size(), "folder", "folders") + "; " +
          Plural(check.filesFound, "named file", "named files") + " found, " +
          std::to_string(check.findings.missingFiles.size()) + " missing.\n";
  return text;
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App& app, CheckOptions& options) {
  CLI::App* check = app.add_subcommand(
      "check",
      "Read a Calypso export as convert would and show what converting it would do: each\n"
      "folder with its messages and the file or folder it would go to, the files the export\n"
      "names that cannot be found or read, the messages that could not be converted in full,\n"
      "and the files named in the text of a message rather than in its header. Nothing is\n"
      "written");
  check->formatter(std::make_shared<CommandHelp>(
      std::vector<std::string>{"[OPTIONS] INPUT [OUTPUT]",
                               "[OPTIONS] --thunderbird [PROFILE_DIR] INPUT",
                               "[OPTIONS] --maildir DIR INPUT",
                               "[OPTIONS] --imap ADDRESS INPUT"},
      PathsHelp()));
  AddRequestOptions(*check, options.request);
  return check;
}

int RunCheck(const CheckOptions& options) {
  ConversionRequest request;
  bool hasOutput = false;
  std::string problem;
  if (!ToRequest(options.request, false, request, hasOutput, problem)) {
    WriteText(stderr, TerminalText(problem) + "\nRun with --help for more information.\n");
    return kUsageError;
  }
  if (!ReadSecretsFor(options.request, request)) return kRunFailed;
  ConsoleOutput console(stdout, stderr, StderrIsTerminal());
  const ExportCheck check = CheckExport(request, hasOutput, &console);
  console.Finish();
  WriteText(stdout, CheckText(check));
  if (check.error.empty()) return kFinished;
  WriteText(stdout, "Error: " + TerminalText(check.error) + "\n");
  return kRunFailed;
}

}  // namespace vandrel::cli
