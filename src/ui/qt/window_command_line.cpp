#include "ui/qt/window_command_line.h"

#include <string_view>

#include "texts/texts.h"
#include "vandrel/version.h"

namespace vandrel {

WindowCommand ReadWindowCommand(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") return WindowCommand::kPrintHelp;
    if (arg == "--version") return WindowCommand::kPrintVersion;
  }
  return WindowCommand::kOpenWindow;
}

// Laid out as vandrel-cli's help is, so that both read alike and help2man makes manual pages
// of both. The buttons are named as the window names them.
std::string WindowHelp() {
  std::string help(
      Tr("Vandrel converts a mailbox exported by Calypso into mbox files for Thunderbird, in a\n"
         "window.\n"));
  // The labels vandrel-cli's help uses, joined as CLI11 joins them there.
  help += Format("%1: vandrel [%2]\n", TrC("command line help", "Usage"),
                 TrC("command line help", "OPTIONS"));
  help += '\n';
  const std::string_view about =
      // Translators: %1, %2 and %3 are the buttons "Get Mailbox", "Set Output" and "Convert".
      Tr("\"%1\" picks the export, \"%2\" the output name and \"%3\" runs\n"
         "the conversion. The list under the output name says where the folders go: mbox\n"
         "files, your default Thunderbird profile, or a Maildir folder. The paths and the\n"
         "choice are remembered for the next start. Qt's own options, such as -style NAME,\n"
         "are taken as well. To convert from a terminal or a script, use vandrel-cli.\n");
  help += Format(about, TrC("button", "Get Mailbox"), TrC("button", "Set Output"),
                 TrC("button", "Convert"));
  help += '\n';
  help += Format("%1:\n", TrC("command line help", "Options"));
  help += Format("  -h,--help                   %1\n", Tr("Print this help message and exit"));
  help += Format("  --version                   %1\n",
                 Tr("Display program version information and exit"));
  return help;
}

std::string WindowVersion() {
  return "vandrel " VANDREL_VERSION "\n";
}

std::string UnexpectedArguments(int argc, const char* const* argv) {
  if (argc <= 1) return {};
  std::string arguments = argv[1];
  for (int i = 2; i < argc; ++i)
    (arguments += ' ') += argv[i];
  // As vandrel-cli says it, in the same words.
  const std::string_view complaint = argc == 2
                                         ? Tr("The following argument was not expected: %1")
                                         : Tr("The following arguments were not expected: %1");
  return Format(complaint, arguments) + '\n' +
         std::string(Tr("Run with --help for more information.")) + '\n';
}

}  // namespace vandrel
