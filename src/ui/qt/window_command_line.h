// The window's own command line. Help and version are answered before Qt starts, so they work
// where there is no display (as when the manual page is made); Qt's own options, such as
// -style, are left for QApplication to take.
#pragma once

#include <string>

namespace vandrel {

enum class WindowCommand { kOpenWindow, kPrintHelp, kPrintVersion };

// The first of -h, --help and --version decides; without them the window opens.
WindowCommand ReadWindowCommand(int argc, const char* const* argv);

// The texts for --help and --version, each ending in a newline.
std::string WindowHelp();
std::string WindowVersion();

// The complaint about the arguments left once QApplication took its own; "" when none are left.
std::string UnexpectedArguments(int argc, const char* const* argv);

}  // namespace vandrel
