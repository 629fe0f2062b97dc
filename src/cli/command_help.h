// Help text for a subcommand whose positionals mean different things in different forms:
// "Usage:" lists each form with the program's plain name, and each positional is explained by
// name, instead of CLI11's one line for a list of values.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

namespace vandrel::cli {

struct PositionalHelp {
  std::string name;
  std::string meaning;
};

class CommandHelp : public CLI::Formatter {
 public:
  // forms: what follows the command's name, e.g. "[OPTIONS] INPUT OUTPUT".
  CommandHelp(std::vector<std::string> forms, std::vector<PositionalHelp> positionals)
      : forms_(std::move(forms)), positionals_(std::move(positionals)) {}

  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_positionals(const CLI::App* app) const override;

 private:
  std::vector<std::string> forms_;
  std::vector<PositionalHelp> positionals_;
};

}  // namespace vandrel::cli
