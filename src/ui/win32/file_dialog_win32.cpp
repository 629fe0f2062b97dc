#include "ui/win32/file_dialog_win32.h"

#include <commdlg.h>

#include <vector>

#include "platform/utf16_win32.h"

namespace vandrel {

namespace {

// Pairs of description and pattern, each ended by a NUL, the list by one more.
constexpr wchar_t kMailboxFilter[] = L"Mailbox Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
constexpr wchar_t kOutputFilter[] = L"Mailbox Files (*.mbx)\0*.mbx\0All Files (*.*)\0*.*\0";
// Long enough for a path of any length the system takes.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

std::string InitialFolder(const std::string& current) {
  const std::size_t backslash = current.rfind('\\');
  return backslash == std::string::npos ? std::string() : current.substr(0, backslash);
}

std::optional<std::string> ChooseFile(HWND owner, FileDialogKind kind, const std::string& current) {
  const bool open = kind == FileDialogKind::kOpenMailbox;
  std::vector<wchar_t> file(kPathCapacity, L'\0');
  const std::wstring folder = platform::Widen(InitialFolder(current));
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = open ? kMailboxFilter : kOutputFilter;
  request.lpstrFile = file.data();
  request.nMaxFile = kPathCapacity;
  request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  request.lpstrDefExt = open ? L"txt" : L"mbx";
  request.Flags = OFN_CREATEPROMPT | OFN_OVERWRITEPROMPT;
  const BOOL chosen = open ? ::GetOpenFileNameW(&request) : ::GetSaveFileNameW(&request);
  if (!chosen) return std::nullopt;
  return platform::Narrow(file.data());
}

}  // namespace vandrel
