// The command line in UTF-8, as the engine works in it: the arguments, and a console that shows
// the UTF-8 log as text.
#pragma once

#include <string>
#include <vector>

namespace vandrel::cli {

// The program's arguments as UTF-8, whatever the system's narrow encoding.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes a console show UTF-8 output and the progress line's control sequences; the console's
// own settings come back when the program ends.
void UseUtf8Console();

// Whether stderr is a terminal, where a progress line can be drawn in place.
bool StderrIsTerminal();

}  // namespace vandrel::cli
