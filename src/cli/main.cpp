// vandrel-cli: converts a Calypso export into one mbox file per folder, from a terminal.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/command_help.h"
#include "cli/convert_command.h"
#include "cli/exit_code.h"
#include "cli/usage_errors.h"
#include "cli/utf8_console.h"
#include "texts/texts.h"
#include "vandrel/version.h"

namespace vandrel::cli {

int Main(int argc, char** argv) {
  CLI::App app{std::string(
      Tr("Vandrel converts a mailbox exported by Calypso into mbox files for Thunderbird."))};
  // Help and errors name the program plainly, not by the path it was started with.
  app.name("vandrel-cli");
  UseLanguageLabels(*app.get_formatter());
  UseLanguageForParseErrors(app);
  // The groups' names are set before any option or subcommand is added, which take them over;
  // the help flag, which CLI11 adds at once, is made again to be in the group.
  app.option_defaults()->group(std::string(TrC("command line help", "Options")));
  app.group(std::string(TrC("command line help", "Subcommands")));
  app.set_help_flag("-h,--help", std::string(Tr("Print this help message and exit")));
  app.set_version_flag("--version", "vandrel-cli " VANDREL_VERSION,
                       std::string(Tr("Display program version information and exit")));
  app.require_subcommand(1);
  ConvertOptions convert;
  CLI::App* convertCommand = AddConvertCommand(app, convert);
  CheckOptions check;
  CLI::App* checkCommand = AddCheckCommand(app, check);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kFinished : kUsageError;
  }
  if (checkCommand->parsed()) return RunCheck(check);
  return convertCommand->parsed() ? RunConvert(convert) : kUsageError;
}

}  // namespace vandrel::cli

int main(int argc, char** argv) {
  vandrel::cli::UseUtf8Console();
  std::vector<std::string> arguments = vandrel::cli::Utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments)
    pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return vandrel::cli::Main(static_cast<int>(arguments.size()), pointers.data());
}
