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
#include "cli/usage_errors.h"
#include "cli/utf8_console.h"
#include "engine/end_of_run_report.h"
#include "engine/export_check.h"
#include "log/visible_text.h"
#include "texts/texts.h"

namespace vandrel::cli {

namespace {

// "3 messages in 2 folders; 0 named files found, 1 missing.": each count with the words its
// number takes, then the line they make.
std::string Totals(const ExportCheck& check) {
  const std::size_t messages = check.messages;
  const std::size_t folders = check.folders.size();
  const std::size_t missing = check.findings.missingFiles.size();
  return Format(
      // Translators: %1 is "%1 message(s)", %2 "in %1 folder(s)", %3 "%1 named file(s) found"
      // and %4 "%1 missing", each filled in already.
      TrC("check totals", "%1 %2; %3, %4."),
      Format(TrN("%1 message", "%1 messages", messages), messages),
      Format(TrN("in %1 folder", "in %1 folders", folders), folders),
      Format(TrN("%1 named file found", "%1 named files found", check.filesFound),
             check.filesFound),
      Format(TrN("%1 missing", "%1 missing", missing), missing));
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
  text += Totals(check) + "\n";
  return text;
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App& app, CheckOptions& options) {
  CLI::App* check = AddCommand(
      app, "check",
      std::string(Tr(
          "Read a Calypso export as convert would and show what converting it would do: each\n"
          "folder with its messages and the file or folder it would go to, the files the export\n"
          "names that cannot be found or read, the messages that could not be converted in full,\n"
          "and the files named in the text of a message rather than in its header. Nothing is\n"
          "written")));
  check->formatter(std::make_shared<CommandHelp>(
      std::vector<std::string>{std::string(Tr("[OPTIONS] INPUT [OUTPUT]")),
                               std::string(Tr("[OPTIONS] --thunderbird [PROFILE_DIR] INPUT")),
                               std::string(Tr("[OPTIONS] --maildir DIR INPUT")),
                               std::string(Tr("[OPTIONS] --imap ADDRESS INPUT"))},
      PathsHelp()));
  AddRequestOptions(*check, options.request);
  return check;
}

int RunCheck(const CheckOptions& options) {
  ConversionRequest request;
  bool hasOutput = false;
  std::string problem;
  if (!ToRequest(options.request, false, request, hasOutput, problem)) {
    WriteText(stderr, UsageErrorLines(problem));
    return kUsageError;
  }
  if (!ReadSecretsFor(options.request, request)) return kRunFailed;
  ConsoleOutput console(stdout, stderr, StderrIsTerminal());
  const ExportCheck check = CheckExport(request, hasOutput, &console);
  console.Finish();
  WriteText(stdout, CheckText(check));
  if (check.error.empty()) return kFinished;
  WriteText(stdout, Format(Tr("Error: %1"), TerminalText(check.error)) + "\n");
  return kRunFailed;
}

}  // namespace vandrel::cli
