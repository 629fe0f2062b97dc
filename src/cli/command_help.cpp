#include "cli/command_help.h"

#include <sstream>

namespace vandrel::cli {

// The further forms start with "or:", under "Usage:", as manual page tools expect them.
std::string CommandHelp::make_usage(const CLI::App*, std::string name) const {
  const std::string label = get_label("Usage") + ": ";
  const std::string further = "or: ";
  std::ostringstream out;
  for (std::size_t i = 0; i < forms_.size(); ++i) {
    const std::string lead =
        i == 0 ? label : std::string(label.size() - further.size(), ' ') + further;
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
