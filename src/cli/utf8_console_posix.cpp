#include "cli/utf8_console.h"

#include <unistd.h>

namespace vandrel::cli {

// Arguments are bytes, and a UTF-8 terminal shows UTF-8 as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Console() {}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace vandrel::cli
