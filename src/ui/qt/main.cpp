// vandrel: the desktop window that converts a Calypso export into mbox files for Thunderbird.
#include <cstdio>
#include <string>

#include "ui/qt/converter_app.h"
#include "ui/qt/window_command_line.h"

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
  switch (vandrel::ReadWindowCommand(argc, argv)) {
    case vandrel::WindowCommand::kPrintHelp:
      std::fputs(vandrel::WindowHelp().c_str(), stdout);
      return 0;
    case vandrel::WindowCommand::kPrintVersion:
      std::fputs(vandrel::WindowVersion().c_str(), stdout);
      return 0;
    case vandrel::WindowCommand::kOpenWindow:
      break;
  }
  vandrel::ConverterApp app(argc, argv);  // takes Qt's own options out of argv
  const std::string unexpected = vandrel::UnexpectedArguments(argc, argv);
  if (!unexpected.empty()) {
    std::fputs(unexpected.c_str(), stderr);
    return kUsageError;
  }
  return app.Run();
}
