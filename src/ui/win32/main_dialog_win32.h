// Vandrel's one window on Windows, on dialog template 102: the export and the output name with
// their file dialogs, the choice of destination, "Convert" and "Exit", a status line and a
// progress bar for the run, and the log box. It remembers the paths and the choice and keeps one
// activity log and one conversion job.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "engine/conversion_job.h"
#include "engine/destinations/destination_choices.h"
#include "log/activity_log.h"
#include "ui/account_fields.h"
#include "ui/win32/dialog_status_sink_win32.h"
#include "ui/win32/edit_log_view_win32.h"

namespace vandrel {

class MainDialog {
 public:
  // Loads icon 128.
  explicit MainDialog(HINSTANCE instance);
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;
  ~MainDialog();

  // Shows the dialog modally; returns how it ended (IDCANCEL from "Exit").
  INT_PTR Show();
  bool IsConverting() const { return job_ != nullptr && job_->IsRunning(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam);
  INT_PTR OnCommand(int id, int notification);

  // What the user triggers.
  BOOL OnInitDialog();
  void OnConvert();
  void OnGetMailbox();
  void OnSetOutput();
  void OnExit();
  void OnDestinationChosen();
  void OnDropFiles(HDROP drop);
  bool OnPaintMinimised();
  void OnRunEnded();

  // What they share.
  void SetUpControls();
  void FillDestinations();
  const DestinationChoice& Destination() const;
  void StopRunAndWait();
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, std::string_view text);
  void ShowRememberedRun();
  void LogFindings();
  bool AskForAccount(bool passwordNeeded);
  void ShowAccount();

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::unique_ptr<EditLogView> logView_;
  std::unique_ptr<DialogStatusSink> statusSink_;
  ActivityLog log_;
  std::string inputPath_;
  std::string outputPath_;
  // The account a run into a mail account goes to, and its password for as long as the window
  // lives; the password is never stored.
  AccountFields account_;
  std::string password_;
  // While the account's address is in the output edit, the path it held before.
  std::string pathText_;
  bool showingAccount_ = false;
  bool stopping_ = false;
  std::unique_ptr<ConversionJob> job_;  // last, so that it is gone before the sinks it writes to
};

}  // namespace vandrel
