// What the command line prints of texts it did not write itself: subjects, folder names and
// paths from the export, and the reports and errors that name them. They reach the terminal
// whole and only as text (see TerminalText).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vandrel::cli {

// Writes every byte of the text: a NUL does not end it, as it would end a C string.
void WriteText(std::FILE* file, std::string_view text);

// A text of lines that end in LF, such as the end-of-run report, each line as TerminalText
// shows it; the LFs stay.
std::string TerminalLines(std::string_view text);

}  // namespace vandrel::cli
