#include "ui/win32/file_dialog_win32.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <memory>
#include <vector>

#include "platform/utf16_win32.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

// Long enough for a path of any length the system takes.
constexpr DWORD kPathCapacity = 32768;

// COM for the length of one dialog; a thread that had it already keeps it as it was.
class ComScope {
 public:
  ComScope()
      : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPointer = std::unique_ptr<Interface, ComRelease>;

// Opens the dialog in the folder shown, when there is one by that name.
void StartIn(IFileOpenDialog& dialog, const std::string& current) {
  IShellItem* folder = nullptr;
  if (current.empty() || FAILED(::SHCreateItemFromParsingName(platform::Widen(current).c_str(),
                                                              nullptr, IID_PPV_ARGS(&folder)))) {
    return;
  }
  dialog.SetFolder(folder);
  folder->Release();
}

// The file system path of what was picked; SIGDN_FILESYSPATH knows no MAX_PATH.
std::optional<std::string> PickedFolder(IFileOpenDialog& dialog) {
  IShellItem* result = nullptr;
  if (FAILED(dialog.GetResult(&result))) return std::nullopt;
  const ComPointer<IShellItem> picked(result);
  PWSTR path = nullptr;
  if (FAILED(picked->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
  std::string folder = platform::Narrow(path);
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

// The string's own NUL ends the list.
std::wstring FileDialogFilter(FileDialogKind kind) {
  const std::string_view mailboxes = kind == FileDialogKind::kOpenMailbox ? "*.txt" : "*.mbx";
  constexpr std::string_view kAllFiles = "*.*";
  // Translators: %1 is a pattern of file names, such as *.txt.
  const std::string_view mailboxFiles = Tr("Mailbox Files (%1)");
  std::wstring filter;
  for (const std::string& part :
       {Format(mailboxFiles, mailboxes), std::string(mailboxes),
        Format(Tr("All Files (%1)"), kAllFiles), std::string(kAllFiles)}) {
    filter += platform::Widen(part);
    filter += L'\0';
  }
  return filter;
}

std::string InitialFolder(const std::string& current) {
  const std::size_t backslash = current.rfind('\\');
  return backslash == std::string::npos ? std::string() : current.substr(0, backslash);
}

std::optional<std::string> ChooseFile(HWND owner, FileDialogKind kind, const std::string& current) {
  const bool open = kind == FileDialogKind::kOpenMailbox;
  std::vector<wchar_t> file(kPathCapacity, L'\0');
  const std::wstring folder = platform::Widen(InitialFolder(current));
  const std::wstring filter = FileDialogFilter(kind);
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter.c_str();
  request.lpstrFile = file.data();
  request.nMaxFile = kPathCapacity;
  request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  request.lpstrDefExt = open ? L"txt" : L"mbx";
  request.Flags = OFN_CREATEPROMPT | OFN_OVERWRITEPROMPT;
  const BOOL chosen = open ? ::GetOpenFileNameW(&request) : ::GetSaveFileNameW(&request);
  if (!chosen) return std::nullopt;
  return platform::Narrow(file.data());
}

std::optional<std::string> ChooseFolder(HWND owner, const std::string& current) {
  const ComScope com;
  IFileOpenDialog* created = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&created)))) {
    return std::nullopt;
  }
  const ComPointer<IFileOpenDialog> dialog(created);
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  StartIn(*dialog, current);
  if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled, too
  return PickedFolder(*dialog);
}

}  // namespace vandrel
