#include "ui/win32/main_dialog_win32.h"

#include <shellapi.h>

#include "platform/utf16_win32.h"
#include "ui/win32/file_dialog_win32.h"
#include "ui/win32/resource_win32.h"
#include "vandrel/version.h"

namespace vandrel {

namespace {

constexpr UINT_PTR kRunWatchTimer = 1;
// How often the dialog looks whether the worker has finished.
constexpr UINT kRunWatchMilliseconds = 50;

}  // namespace

MainDialog::MainDialog(HINSTANCE instance) : instance_(instance) {
  icon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANDREL), IMAGE_ICON,
                                          ::GetSystemMetrics(SM_CXICON),
                                          ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  smallIcon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANDREL), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

MainDialog::~MainDialog() {
  if (icon_ != nullptr) ::DestroyIcon(icon_);
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
}

INT_PTR MainDialog::Show() {
  return ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_VANDREL_DIALOG), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<MainDialog*>(lParam)->window_ = window;
  }
  auto* dialog = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  return dialog == nullptr ? FALSE : dialog->Handle(message, wParam);
}

INT_PTR MainDialog::Handle(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_PAINT:
      return OnPaintMinimised();
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_TIMER:
      if (wParam == kRunWatchTimer) OnRunWatch();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR MainDialog::OnCommand(int id, int notification) {
  // IDCANCEL also comes from the Escape key and the close box, IDOK from the Enter key.
  if (id == IDCANCEL) {
    OnExit();
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  switch (id) {
    case IDOK:
      OnConvert();
      return TRUE;
    case IDC_GET_MAILBOX:
      OnGetMailbox();
      return TRUE;
    case IDC_SET_OUTPUT:
      OnSetOutput();
      return TRUE;
    case IDC_INTO_THUNDERBIRD:
      OnThunderbirdToggled();
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL MainDialog::OnInitDialog() {
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  SetUpControls();
  LoadRememberedPath("MRU_MailboxInputFile", IDC_INPUT_EDIT, inputPath_);
  LoadRememberedPath("MRU_MailboxOutputFile", IDC_OUTPUT_EDIT, outputPath_);
  LoadRememberedTarget();
  return TRUE;  // the focus goes to the first tab stop, "Convert"
}

void MainDialog::SetUpControls() {
  ::SetWindowTextW(window_, platform::Widen("Vandrel " VANDREL_VERSION).c_str());
  logView_ = std::make_unique<EditLogView>(Item(IDC_LOG_BOX));
  statusSink_ = std::make_unique<DialogStatusSink>(Item(IDC_STATUS_LINE), Item(IDC_PROGRESS));
  log_.AttachEdit(logView_.get());
  job_ = std::make_unique<ConversionJob>();
  job_->SetLog(&log_);
  job_->SetStatusSink(statusSink_.get());
  ::DragAcceptFiles(window_, TRUE);
}

void MainDialog::OnConvert() {
  if (IsConverting()) return;
  inputPath_ = ItemText(IDC_INPUT_EDIT);
  outputPath_ = ItemText(IDC_OUTPUT_EDIT);
  RememberPaths();
  ConversionOptions options;
  const bool intoThunderbird = ::IsDlgButtonChecked(window_, IDC_INTO_THUNDERBIRD) == BST_CHECKED;
  if (intoThunderbird) options.thunderbirdProfile = std::string();  // the default profile
  job_->SetOptions(std::move(options));
  if (job_->Start(inputPath_, intoThunderbird ? std::string() : outputPath_)) {
    ::SetTimer(window_, kRunWatchTimer, kRunWatchMilliseconds, nullptr);
  }
}

void MainDialog::OnGetMailbox() {
  if (IsConverting()) return;
  const auto chosen = ChooseFile(window_, FileDialogKind::kOpenMailbox, ItemText(IDC_INPUT_EDIT));
  if (!chosen) return;
  inputPath_ = *chosen;
  SetItemText(IDC_INPUT_EDIT, inputPath_);
}

void MainDialog::OnSetOutput() {
  if (IsConverting()) return;
  const auto chosen = ChooseFile(window_, FileDialogKind::kSaveOutput, ItemText(IDC_OUTPUT_EDIT));
  if (!chosen) return;
  outputPath_ = *chosen;
  SetItemText(IDC_OUTPUT_EDIT, outputPath_);
}

// Also during a run; the paths are saved by "Convert" only.
void MainDialog::OnExit() {
  if (IsConverting()) EndRunInProgress();
  ::EndDialog(window_, IDCANCEL);
}

// The job cannot be asked to stop yet, so the run ends with the process, at once, as the Qt
// window ends it; nothing is torn down under the worker. Once the job takes a stop request, it
// is made here, and the dialog serves the worker's messages until the run has cleaned up.
void MainDialog::EndRunInProgress() {
  ::ExitProcess(0);
}

// The output path means nothing while the folders go into Thunderbird.
void MainDialog::OnThunderbirdToggled() {
  const bool intoThunderbird = ::IsDlgButtonChecked(window_, IDC_INTO_THUNDERBIRD) == BST_CHECKED;
  ::EnableWindow(Item(IDC_OUTPUT_EDIT), !intoThunderbird);
  ::EnableWindow(Item(IDC_SET_OUTPUT), !intoThunderbird);
}

// A file dropped onto the window becomes the export; ignored during a run, as "Get Mailbox" is.
void MainDialog::OnDropFiles(HDROP drop) {
  const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  if (!IsConverting() && length > 0) {
    std::wstring file(length + 1, L'\0');
    ::DragQueryFileW(drop, 0, file.data(), length + 1);
    file.resize(length);
    inputPath_ = platform::Narrow(file);
    SetItemText(IDC_INPUT_EDIT, inputPath_);
  }
  ::DragFinish(drop);
}

// The icon, centred, while the window is minimised; otherwise the platform paints.
bool MainDialog::OnPaintMinimised() {
  if (!::IsIconic(window_)) return false;
  PAINTSTRUCT paint;
  const HDC context = ::BeginPaint(window_, &paint);
  ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
  RECT client;
  ::GetClientRect(window_, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(context, x, y, icon_);
  ::EndPaint(window_, &paint);
  return true;
}

// The worker is done with the log once the running flag is clear, so the missing files can be
// logged from here, after its last line.
void MainDialog::OnRunWatch() {
  if (IsConverting()) return;
  ::KillTimer(window_, kRunWatchTimer);
  LogMissingFiles();
}

std::string MainDialog::ItemText(int id) const {
  const HWND item = Item(id);
  const int length = ::GetWindowTextLengthW(item);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return platform::Narrow(text);
}

void MainDialog::SetItemText(int id, std::string_view text) {
  ::SetWindowTextW(Item(id), platform::Widen(text).c_str());
}

}  // namespace vandrel
