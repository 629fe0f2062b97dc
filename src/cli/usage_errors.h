// What the command line says when it cannot be understood, in the current language: CLI11's
// parse errors and the problems the commands find in their options.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>

namespace vandrel::cli {

// The error's message in the current language, with the error's own details (option names,
// values). A message of a shape not known here stays as CLI11 wrote it.
std::string ParseErrorMessage(const CLI::Error& error);

// The lines a usage error prints: the problem, shown as text, and where to learn more.
std::string UsageErrorLines(std::string_view problem);

// Has the app (and the subcommands it adds later) print parse errors as UsageErrorLines.
void UseLanguageForParseErrors(CLI::App& app);

}  // namespace vandrel::cli
