// Drives vandrel.exe's dialogs from outside for the tests, as a user's clicks and a screen reader
// would: finds the window, sets and reads the controls' texts, clicks buttons, reads and picks
// the entries of a drop-down list, tells whether a control is enabled, reads the progress bar
// and where the window is. Also holds an export back in a named pipe, so that a run stays in
// progress until the test lets it go on, or holds a file open without sharing, as Thunderbird
// holds its lock. Texts are UTF-8 on the command line and on stdout.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/utf16_win32.h"

namespace {

using vandrel::platform::Narrow;
using vandrel::platform::Widen;

// The main dialog, whose caption starts with "Vandrel ", or the dialog of exactly `caption`.
HWND FindDialog(const std::wstring& caption) {
  struct Search {
    const std::wstring& caption;
    HWND found = nullptr;
  } wanted{caption};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(parameter);
        // Neither call sends the window a message, so a window that does not answer cannot
        // hold the search up.
        wchar_t className[16] = {};
        wchar_t title[64] = {};
        ::GetClassNameW(window, className, 16);
        ::InternalGetWindowText(window, title, 64);
        const std::wstring_view shown(title);
        const bool named =
            search.caption.empty() ? shown.starts_with(L"Vandrel ") : shown == search.caption;
        if (std::wstring_view(className) == L"#32770" && named && ::IsWindowVisible(window)) {
          search.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

// Waits, up to the limit, for the dialog to be shown.
HWND WaitForDialog(const std::wstring& caption, DWORD limitMilliseconds) {
  const ULONGLONG end = ::GetTickCount64() + limitMilliseconds;
  HWND dialog = FindDialog(caption);
  while (dialog == nullptr && ::GetTickCount64() < end) {
    ::Sleep(50);
    dialog = FindDialog(caption);
  }
  return dialog;
}

std::string Text(HWND control) {
  const LRESULT length = ::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      ::SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return Narrow(text);
}

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// A drop-down list's entries, one a line.
void PrintEntries(HWND list) {
  const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring entry(static_cast<std::size_t>(::SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1,
                       L'\0');
    entry.resize(static_cast<std::size_t>(
        ::SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
    Print(Narrow(entry) + "\n");
  }
}

// Selects an entry and tells the dialog, as a user's pick from the list does.
void Pick(HWND dialog, int id, int index) {
  const HWND list = ::GetDlgItem(dialog, id);
  ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Writes the export into the pipe up to its second message, then the rest once stdin closes.
std::string ReadWhole(const std::wstring& file) {
  std::ifstream in(file.c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int HoldPipe(const std::wstring& name, const std::wstring& exportFile) {
  const std::string text = ReadWhole(exportFile);
  std::size_t split = text.find("\nFrom ???@???");
  split = split == std::string::npos ? text.size() : split + 1;
  const HANDLE pipe = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                         65536, 65536, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 1;
  std::puts("listening");
  std::fflush(stdout);
  ::ConnectNamedPipe(pipe, nullptr);
  DWORD written = 0;
  ::WriteFile(pipe, text.data(), static_cast<DWORD>(split), &written, nullptr);
  std::puts("holding");
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
  }
  ::WriteFile(pipe, text.data() + split, static_cast<DWORD>(text.size() - split), &written,
              nullptr);
  ::FlushFileBuffers(pipe);
  ::CloseHandle(pipe);
  return 0;
}

// Keeps the file open without sharing, as Thunderbird keeps parent.lock, until stdin closes.
int HoldFile(const std::wstring& file) {
  const HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  std::puts("holding");
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
  }
  ::CloseHandle(held);
  return 0;
}

// "within CAPTION COMMAND ..." sends the command to the dialog of that caption, such as the one
// the main dialog opens, instead of the main dialog.
int Run(std::vector<std::string> args) {
  std::wstring caption;
  if (args.size() > 3 && args[1] == "within") {
    caption = Widen(args[2]);
    args.erase(args.begin() + 1, args.begin() + 3);
  }
  const std::string& command = args.at(1);
  if (command == "hold-pipe") return HoldPipe(Widen(args.at(2)), Widen(args.at(3)));
  if (command == "hold-file") return HoldFile(Widen(args.at(2)));
  const HWND dialog = WaitForDialog(caption, command == "wait" ? std::stoul(args.at(2)) : 0);
  if (dialog == nullptr) {
    std::fputs("no Vandrel dialog\n", stderr);
    return 2;
  }
  if (command == "wait") return 0;
  if (command == "caption") Print(Text(dialog));
  if (command == "get") Print(Text(::GetDlgItem(dialog, std::stoi(args.at(2)))));
  // The texts of the controls named, one a line.
  if (command == "texts") {
    for (std::size_t i = 2; i < args.size(); ++i)
      Print(Text(::GetDlgItem(dialog, std::stoi(args[i]))) + "\n");
  }
  if (command == "set") {
    ::SendMessageW(::GetDlgItem(dialog, std::stoi(args.at(2))), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(Widen(args.at(3)).c_str()));
  }
  // "click" returns once the dialog has handled the click; "post" at once.
  if (command == "click" || command == "post") {
    const int id = std::stoi(args.at(2));
    const WPARAM wParam = MAKEWPARAM(id, BN_CLICKED);
    const auto button = reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id));
    if (command == "click") ::SendMessageW(dialog, WM_COMMAND, wParam, button);
    if (command == "post") ::PostMessageW(dialog, WM_COMMAND, wParam, button);
  }
  if (command == "progress") {
    const HWND bar = ::GetDlgItem(dialog, std::stoi(args.at(2)));
    std::printf("%ld %ld %ld\n", static_cast<long>(::SendMessageW(bar, PBM_GETPOS, 0, 0)),
                static_cast<long>(::SendMessageW(bar, PBM_GETRANGE, TRUE, 0)),
                static_cast<long>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0)));
  }
  if (command == "rect") {
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
  }
  if (command == "entries") PrintEntries(::GetDlgItem(dialog, std::stoi(args.at(2))));
  if (command == "selected") {
    std::printf("%ld\n", static_cast<long>(::SendMessageW(
                             ::GetDlgItem(dialog, std::stoi(args.at(2))), CB_GETCURSEL, 0, 0)));
  }
  if (command == "pick") Pick(dialog, std::stoi(args.at(2)), std::stoi(args.at(3)));
  if (command == "enabled") {
    std::printf("%d\n", ::IsWindowEnabled(::GetDlgItem(dialog, std::stoi(args.at(2)))) != FALSE);
  }
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i)
    args.push_back(Narrow(wide[i]));
  ::LocalFree(wide);
  try {
    return Run(args);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dialog_remote: %s\n", error.what());
    return 2;
  }
}
