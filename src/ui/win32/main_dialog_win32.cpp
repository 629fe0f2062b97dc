#include "ui/win32/main_dialog_win32.h"

#include <shellapi.h>

#include "engine/destinations/chosen_output.h"
#include "platform/utf16_win32.h"
#include "settings/journal_folder.h"
#include "settings/remembered_run.h"
#include "texts/texts.h"
#include "ui/win32/account_dialog_win32.h"
#include "ui/win32/dialog_template_win32.h"
#include "ui/win32/file_dialog_win32.h"
#include "ui/win32/resource_win32.h"
#include "vandrel/version.h"

namespace vandrel {

namespace {

// Posted by the worker when a run has ended.
constexpr UINT kRunEnded = WM_APP + 1;

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
  return ShowDialog(instance_, IDD_VANDREL_DIALOG, nullptr, DialogProc,
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
    case kRunEnded:
      OnRunEnded();
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
  if (id == IDC_DESTINATION) {
    if (notification != CBN_SELCHANGE) return FALSE;
    OnDestinationChosen();
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
    default:
      return FALSE;
  }
}

BOOL MainDialog::OnInitDialog() {
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  SetUpControls();
  ShowRememberedRun();
  return TRUE;  // the focus goes to the first tab stop, "Convert"
}

void MainDialog::SetUpControls() {
  SetControlTexts(window_, {{0, "Vandrel " VANDREL_VERSION},
                            {IDOK, TrC("button", "Convert")},
                            {IDC_GET_MAILBOX, TrC("button", "Get Mailbox")},
                            {IDC_SET_OUTPUT, TrC("button", "Set Output")},
                            {IDCANCEL, TrC("button", "Exit")}});
  logView_ = std::make_unique<EditLogView>(Item(IDC_LOG_BOX));
  statusSink_ = std::make_unique<DialogStatusSink>(Item(IDC_STATUS_LINE), Item(IDC_PROGRESS));
  log_.AttachEdit(logView_.get());
  job_ = std::make_unique<ConversionJob>();
  job_->SetLog(&log_);
  job_->SetStatusSink(statusSink_.get());
  // Told on the worker thread; the dialog takes it up among its own messages.
  job_->SetFinishedCallback([window = window_] { ::PostMessageW(window, kRunEnded, 0, 0); });
  ::DragAcceptFiles(window_, TRUE);
  FillDestinations();
}

// One entry per row of the engine's list, in its order, so that the index is the row.
void MainDialog::FillDestinations() {
  for (const DestinationChoice& choice : kDestinationChoices) {
    ::SendMessageW(Item(IDC_DESTINATION), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(platform::Widen(Tr(choice.label)).c_str()));
  }
}

const DestinationChoice& MainDialog::Destination() const {
  const LRESULT index = ::SendMessageW(Item(IDC_DESTINATION), CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= LRESULT(kDestinationChoices.size())) return kDestinationChoices.front();
  return kDestinationChoices[std::size_t(index)];
}

void MainDialog::OnConvert() {
  if (IsConverting()) return;
  const DestinationChoice& destination = Destination();
  ConversionRequest request;
  const bool account = destination.place == PlaceKind::kMailAccount;
  if (account) {
    // Asked before the run, not left for the server to refuse.
    if (CheckAccount(account_, password_, true).address.empty() && !AskForAccount(true)) return;
    request.access.password = password_;
    request.access.journalFolder = platform::Narrow(RunJournalFolder().wstring());
  }
  inputPath_ = ItemText(IDC_INPUT_EDIT);
  outputPath_ = account ? CheckAccount(account_, {}, false).address : ItemText(IDC_OUTPUT_EDIT);
  RememberRun({inputPath_, outputPath_, std::string(destination.key)});
  request.inputPath = inputPath_;
  request.output = ChosenOutput(destination, outputPath_);
  job_->Start(std::move(request));
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
  if (Destination().place == PlaceKind::kMailAccount) {
    AskForAccount(false);
    return;
  }
  const std::string current = ItemText(IDC_OUTPUT_EDIT);
  const auto chosen = Destination().place == PlaceKind::kFolder
                          ? ChooseFolder(window_, current)
                          : ChooseFile(window_, FileDialogKind::kSaveOutput, current);
  if (!chosen) return;
  outputPath_ = *chosen;
  SetItemText(IDC_OUTPUT_EDIT, outputPath_);
}

// Also during a run; the paths are saved by "Convert" only.
void MainDialog::OnExit() {
  if (IsConverting()) {
    if (stopping_) return;
    StopRunAndWait();
  }
  ::EndDialog(window_, IDCANCEL);
}

// The run is asked to stop, and the dialog goes on serving messages until it has cleaned up:
// the worker reaches the controls through SendMessage, which would wait forever otherwise.
void MainDialog::StopRunAndWait() {
  stopping_ = true;
  job_->RequestStop();
  // The window stays until the run is done.
  SetItemText(IDC_STATUS_LINE, Tr("stopping"));
  while (IsConverting()) {
    MSG message;
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!::IsDialogMessageW(window_, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }
  }
  job_->Wait();
  stopping_ = false;
}

// The output path means nothing while the folders go into the default Thunderbird profile. For a
// mail account the edit shows the account's address, which only the account's dialog changes;
// the path comes back with a choice that takes one.
void MainDialog::OnDestinationChosen() {
  const PlaceKind place = Destination().place;
  const bool account = place == PlaceKind::kMailAccount;
  if (account && !showingAccount_) {
    pathText_ = ItemText(IDC_OUTPUT_EDIT);
    ShowAccount();
  } else if (!account && showingAccount_) {
    SetItemText(IDC_OUTPUT_EDIT, pathText_);
  }
  showingAccount_ = account;
  ::SendMessageW(Item(IDC_OUTPUT_EDIT), EM_SETREADONLY, account, 0);
  const bool needsPlace = place != PlaceKind::kDefaultProfile;
  ::EnableWindow(Item(IDC_OUTPUT_EDIT), needsPlace);
  ::EnableWindow(Item(IDC_SET_OUTPUT), needsPlace);
}

// Empty until the account's fields make an address.
void MainDialog::ShowAccount() {
  SetItemText(IDC_OUTPUT_EDIT, CheckAccount(account_, {}, false).address);
}

bool MainDialog::AskForAccount(bool passwordNeeded) {
  if (!vandrel::AskForAccount(instance_, window_, account_, password_, passwordNeeded))
    return false;
  ShowAccount();
  return true;
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

// The worker is done with the log when it says it has ended, so the findings can be logged from
// here, after its last line.
void MainDialog::OnRunEnded() {
  LogFindings();
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
