#include "cli/terminal_text.h"

#include "log/visible_text.h"

namespace vandrel::cli {

void WriteText(std::FILE* file, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

std::string TerminalLines(std::string_view text) {
  std::string shown;
  for (;;) {
    const std::size_t end = text.find('\n');
    shown += TerminalText(text.substr(0, end));
    if (end == std::string_view::npos) return shown;
    shown += '\n';
    text.remove_prefix(end + 1);
  }
}

}  // namespace vandrel::cli
