#include "cli/command_help.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "texts/texts.h"

namespace vandrel::cli {

namespace {

// Characters, not bytes, so that the forms line up whatever letters a language uses.
std::size_t Width(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

// Every option names its value with option_text, so CLI11's type names ("TEXT", "UINT") never
// show in help and need no words of their own.
void UseLanguageLabels(CLI::FormatterBase& formatter) {
  formatter.label("Usage", std::string(TrC("command line help", "Usage")));
  formatter.label("OPTIONS", std::string(TrC("command line help", "OPTIONS")));
  formatter.label("SUBCOMMAND", std::string(TrC("command line help", "SUBCOMMAND")));
  formatter.label("Positionals", std::string(TrC("command line help", "Positionals")));
  formatter.label("REQUIRED", std::string(TrC("command line help", "REQUIRED")));
  formatter.label("Needs", std::string(TrC("command line help", "Needs")));
  formatter.label("Excludes", std::string(TrC("command line help", "Excludes")));
}

CLI::App* AddCommand(CLI::App& app, std::string name, std::string description) {
  CLI::App* command = app.add_subcommand(std::move(name), std::move(description));
  if (const CLI::Option* help = app.get_help_ptr(); help != nullptr)
    command->set_help_flag(help->get_name(false, true), help->get_description());
  return command;
}

CommandHelp::CommandHelp(std::vector<std::string> forms, std::vector<PositionalHelp> positionals)
    : forms_(std::move(forms)), positionals_(std::move(positionals)) {
  UseLanguageLabels(*this);
}

// The further forms start with "or:", under "Usage:", as manual page tools expect them.
std::string CommandHelp::make_usage(const CLI::App*, std::string name) const {
  const std::string label = get_label("Usage") + ": ";
  const std::string further(TrC("command line help", "or: "));
  const std::size_t indent = std::max(Width(label), Width(further)) - Width(further);
  std::ostringstream out;
  for (std::size_t i = 0; i < forms_.size(); ++i) {
    const std::string lead = i == 0 ? label : std::string(indent, ' ') + further;
    out << lead << name << ' ' << forms_[i] << '\n';
  }
  return out.str();
}

std::string CommandHelp::make_positionals(const CLI::App*) const {
  std::ostringstream out;
  out << '\n' << get_label("Positionals") << ":\n";
  for (const PositionalHelp& positional : positionals_) {
    CLI::detail::format_help(out, positional.name, positional.meaning, get_column_width());
  }
  return out.str();
}

}  // namespace vandrel::cli
