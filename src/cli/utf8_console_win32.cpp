#include <windows.h>

#include <shellapi.h>

#include <io.h>
#include <stdio.h>

#include <cstdlib>

#include "cli/utf8_console.h"
#include "platform/utf16_win32.h"

namespace vandrel::cli {

namespace {

UINT originalCodePage = 0;
DWORD originalMode = 0;

void RestoreConsole() {
  ::SetConsoleOutputCP(originalCodePage);
  ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), originalMode);
}

}  // namespace

// The narrow argv holds the ANSI code page's best fit of each name; the wide command line holds
// the names themselves.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i)
    arguments.push_back(platform::Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void UseUtf8Console() {
  originalCodePage = ::GetConsoleOutputCP();
  if (originalCodePage == 0) return;  // no console: output goes to a file or a pipe as it is
  const HANDLE progress = ::GetStdHandle(STD_ERROR_HANDLE);
  ::GetConsoleMode(progress, &originalMode);
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleMode(progress, originalMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  std::atexit(RestoreConsole);
}

bool StderrIsTerminal() {
  return ::_isatty(::_fileno(stderr)) != 0;
}

}  // namespace vandrel::cli
