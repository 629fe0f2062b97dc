// Asking for a password on the terminal, without showing what is typed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vandrel::cli {

// Writes the prompt to the terminal, reads one line there with echo off and gives it back
// without its line end. The terminal is set back as it was, also when Ctrl-C (or SIGTERM,
// SIGHUP, SIGQUIT) ends the reading: then the signal goes on to what handled it before and
// nothing is returned. Nothing, too, when there is no terminal to ask on or the input ends
// before a line. Call it before StopSignals takes those signals over.
std::optional<std::string> ReadPasswordWithoutEcho(std::string_view prompt);

}  // namespace vandrel::cli
