// Vandrel's one window: the export and the output name with their file dialogs, the choice of
// destination, "Convert" and "Exit", a status line and a progress bar for the run, and the log
// box. It remembers the paths and the choice and keeps one activity log and one conversion job
// for its whole life.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

#include "engine/conversion_job.h"
#include "engine/destinations/destination_choices.h"
#include "log/activity_log.h"
#include "ui/account_fields.h"
#include "ui/qt/file_chooser.h"
#include "ui/qt/qt_information_box.h"
#include "ui/qt/qt_log_view.h"
#include "ui/qt/qt_status_sink.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace vandrel {

class MainDialog : public QDialog {
  Q_OBJECT

 public:
  // Without a chooser the platform's file dialogs are used.
  explicit MainDialog(std::unique_ptr<FileChooser> chooser = nullptr, QWidget* parent = nullptr);
  // Waits for a run in progress; the application does not let it come to that (see ConverterApp).
  ~MainDialog() override;

  bool IsConverting() const { return job_.IsRunning(); }
  // Whether the last run wrote every folder, once it has ended.
  bool LastRunSucceeded() const { return job_.Succeeded(); }

 signals:
  // A run is about to start with this request, for those who watch the window.
  void RunRequested(const vandrel::ConversionRequest& request);
  // A run has ended and every line it produced is in the log box.
  void RunFinished();

 public slots:
  void OnConvert();
  void OnGetMailbox();
  void OnSetOutput();
  void OnExit();
  // Also during a run: asks it to stop and waits, handling events, until it has cleaned up.
  void reject() override;

 protected:
  // A file dropped anywhere on the window, the edits included, becomes the export to convert.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void SetUpControls();
  void ArrangeControls();
  void ConnectControls();
  void ShowRememberedRun();
  void OnDestinationChosen();
  const DestinationChoice& Destination() const;
  void ChoosePath(const FileRequest& request, QLineEdit* edit, std::string& path);
  bool AskForAccount(bool passwordNeeded);
  void ShowAccount();
  void RunEnded();
  void LogFindings();

  std::unique_ptr<FileChooser> chooser_;
  // The controls, in tab order; the dialog owns them as their parent.
  QPushButton* convertButton_;
  QLineEdit* inputEdit_;
  QLineEdit* outputEdit_;
  QPushButton* getMailboxButton_;
  QPushButton* setOutputButton_;
  QPushButton* exitButton_;
  QPlainTextEdit* logBox_;
  QProgressBar* progressBar_;
  QLineEdit* statusLine_;
  // Beside the nine: where the folders go, one entry per row of kDestinationChoices.
  QComboBox* destinationBox_;

  QtLogView logView_;
  QtStatusSink statusSink_;
  QtInformationBox informationBox_;
  ActivityLog log_;
  bool stopping_ = false;
  std::string inputPath_;
  std::string outputPath_;
  // The account a run into a mail account goes to, and its password for as long as the window
  // lives; the password is never stored.
  AccountFields account_;
  std::string password_;
  // While the account's address is in the output edit, the path it held before.
  QString pathText_;
  bool showingAccount_ = false;
  ConversionJob job_;  // last, so that it is gone before the sinks it writes to
};

}  // namespace vandrel
