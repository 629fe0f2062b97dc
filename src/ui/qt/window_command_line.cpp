#include "ui/qt/window_command_line.h"

#include <string_view>

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
// of both.
std::string WindowHelp() {
  return "Vandrel converts a mailbox exported by Calypso into mbox files for Thunderbird, in a\n"
         "window.\n"
         "Usage: vandrel [OPTIONS]\n"
         "\n"
         "\"Get Mailbox\" picks the export, \"Set Output\" the output name and \"Convert\" runs\n"
         "the conversion. The list under the output name says where the folders go: mbox\n"
         "files, your default Thunderbird profile, or a Maildir folder. The paths and the\n"
         "choice are remembered for the next start. Qt's own options, such as -style NAME,\n"
         "are taken as well. To convert from a terminal or a script, use vandrel-cli.\n"
         "\n"
         "Options:\n"
         "  -h,--help                   Print this help message and exit\n"
         "  --version                   Display program version information and exit\n";
}

std::string WindowVersion() {
  return "vandrel " VANDREL_VERSION "\n";
}

std::string UnexpectedArguments(int argc, const char* const* argv) {
  if (argc <= 1) return {};
  std::string message = argc == 2 ? "The following argument was not expected:"
                                  : "The following arguments were not expected:";
  for (int i = 1; i < argc; ++i)
    (message += ' ') += argv[i];
  return message + "\nRun with --help for more information.\n";
}

}  // namespace vandrel
