// Help text for a subcommand whose positionals mean different things in different forms:
// "Usage:" lists each form with the program's plain name, and each positional is explained by
// name, instead of CLI11's one line for a list of values.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

namespace vandrel::cli {

// The words CLI11 puts into help ("Usage", "OPTIONS", "Positionals", ...) in the current
// language.
void UseLanguageLabels(CLI::FormatterBase& formatter);

// A subcommand whose help flag is in the same group as its other options: CLI11 makes it before
// the subcommand takes over the app's option defaults, group name included.
CLI::App* AddCommand(CLI::App& app, std::string name, std::string description);

struct PositionalHelp {
  std::string name;
  std::string meaning;
};

class CommandHelp : public CLI::Formatter {
 public:
  // forms: what follows the command's name, e.g. "[OPTIONS] INPUT OUTPUT".
  CommandHelp(std::vector<std::string> forms, std::vector<PositionalHelp> positionals);

  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_positionals(const CLI::App* app) const override;

 private:
  std::vector<std::string> forms_;
  std::vector<PositionalHelp> positionals_;
};

}  // namespace vandrel::cli
