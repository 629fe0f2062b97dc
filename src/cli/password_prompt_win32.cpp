#include <windows.h>

#include <atomic>
#include <string>

#include "cli/password_prompt.h"
#include "platform/utf16_win32.h"

namespace vandrel::cli {
namespace {

// For the console control handler, which runs on a thread of its own.
std::atomic<HANDLE> readingConsole{nullptr};
std::atomic<DWORD> savedMode{0};

// Ctrl-C, Ctrl-Break or closing the console while echo is off: the console gets its mode back,
// then the handlers before this one (or the system) do what they would have done.
BOOL WINAPI RestoreOnControl(DWORD) {
  const HANDLE console = readingConsole.load();
  if (console != nullptr) ::SetConsoleMode(console, savedMode.load());
  return FALSE;
}

HANDLE OpenConsole(const wchar_t* name) {
  return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

void Write(HANDLE out, std::string_view text) {
  const std::wstring wide = platform::Widen(text);
  DWORD written = 0;
  ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

// The console itself, not standard input and error, which may be redirected.
std::optional<std::string> ReadPasswordWithoutEcho(std::string_view prompt) {
  const HANDLE in = OpenConsole(L"CONIN$");
  if (in == INVALID_HANDLE_VALUE) return std::nullopt;
  DWORD mode = 0;
  if (!::GetConsoleMode(in, &mode)) {
    ::CloseHandle(in);
    return std::nullopt;
  }
  const HANDLE out = OpenConsole(L"CONOUT$");

  savedMode = mode;
  readingConsole = in;
  ::SetConsoleCtrlHandler(RestoreOnControl, TRUE);
  std::wstring line;
  bool complete = false;
  if (::SetConsoleMode(
          in, (mode & ~DWORD{ENABLE_ECHO_INPUT}) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT)) {
    if (out != INVALID_HANDLE_VALUE) Write(out, prompt);
    wchar_t chunk[256];
    DWORD got = 0;
    // Ctrl-C ends the reading with nothing read.
    while (::ReadConsoleW(in, chunk, 256, &got, nullptr) && got > 0) {
      line.append(chunk, got);
      const std::size_t end = line.find_first_of(L"\r\n");
      if (end != std::wstring::npos) {
        line.resize(end);
        complete = true;
        break;
      }
    }
    ::SecureZeroMemory(chunk, sizeof chunk);
    ::SetConsoleMode(in, mode);
    if (out != INVALID_HANDLE_VALUE) Write(out, "\r\n");
  }
  ::SetConsoleCtrlHandler(RestoreOnControl, FALSE);
  readingConsole = nullptr;
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  ::CloseHandle(in);
  std::optional<std::string> password;
  if (complete) password = platform::Narrow(line);
  ::SecureZeroMemory(line.data(), line.size() * sizeof(wchar_t));
  return password;
}

}  // namespace vandrel::cli
