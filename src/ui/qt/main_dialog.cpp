#include "ui/qt/main_dialog.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>

#include "engine/destinations/chosen_output.h"
#include "engine/end_of_run_report.h"
#include "settings/journal_folder.h"
#include "settings/remembered_run.h"
#include "texts/texts.h"
#include "ui/qt/account_dialog.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/display_text.h"
#include "ui/qt/qt_file_chooser.h"
#include "vandrel/version.h"

namespace vandrel {
namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// Paths travel as the bytes the file system knows them by.
std::string PathBytes(const QString& text) {
  const QByteArray bytes = QFile::encodeName(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathText(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The first local file among what is dragged; empty when there is none.
QString DraggedFile(const QMimeData* data) {
  if (data == nullptr) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
  }
  return {};
}

}  // namespace

MainDialog::MainDialog(std::unique_ptr<FileChooser> chooser, QWidget* parent)
    : QDialog(parent, kWindowFlags),
      chooser_(chooser != nullptr ? std::move(chooser) : std::make_unique<QtFileChooser>()),
      convertButton_(new QPushButton(CatalogText(TrC("button", "Convert")), this)),
      inputEdit_(new QLineEdit(this)),
      outputEdit_(new QLineEdit(this)),
      getMailboxButton_(new QPushButton(CatalogText(TrC("button", "Get Mailbox")), this)),
      setOutputButton_(new QPushButton(CatalogText(TrC("button", "Set Output")), this)),
      exitButton_(new QPushButton(CatalogText(TrC("button", "Exit")), this)),
      logBox_(new QPlainTextEdit(this)),
      progressBar_(new QProgressBar(this)),
      statusLine_(new QLineEdit(this)),
      destinationBox_(new QComboBox(this)),
      logView_(logBox_),
      statusSink_(statusLine_, progressBar_),
      informationBox_(this) {
  setWindowTitle(
      QStringLiteral("%1 %2").arg(QLatin1String(kApplicationName.data(), kApplicationName.size()),
                                  QStringLiteral(VANDREL_VERSION)));
  setWindowIcon(AppIcon());
  SetUpControls();
  ArrangeControls();
  ConnectControls();

  log_.AttachEdit(&logView_);
  log_.SetInformationBox(&informationBox_);
  job_.SetLog(&log_);
  job_.SetStatusSink(&statusSink_);
  // Told on the worker thread; the window takes it up on its own.
  job_.SetFinishedCallback(
      [this] { QMetaObject::invokeMethod(this, &MainDialog::RunEnded, Qt::QueuedConnection); });
  ShowRememberedRun();
  convertButton_->setFocus();
}

MainDialog::~MainDialog() = default;

void MainDialog::OnConvert() {
  if (job_.IsRunning()) return;
  const DestinationChoice& destination = Destination();
  ConversionRequest request;
  if (destination.place == PlaceKind::kMailAccount) {
    // Asked before the run, not left for the server to refuse.
    if (CheckAccount(account_, password_, true).address.empty() && !AskForAccount(true)) return;
    request.access.password = password_;
    request.access.journalFolder = RunJournalFolder().string();
  }
  inputPath_ = PathBytes(inputEdit_->text());
  outputPath_ = destination.place == PlaceKind::kMailAccount
                    ? CheckAccount(account_, {}, false).address
                    : PathBytes(outputEdit_->text());
  RememberRun({inputPath_, outputPath_, std::string(destination.key)});
  request.inputPath = inputPath_;
  request.output = ChosenOutput(destination, outputPath_);
  emit RunRequested(request);
  job_.Start(std::move(request));
}

void MainDialog::OnGetMailbox() {
  if (job_.IsRunning()) return;
  ChoosePath(MailboxFileRequest(inputEdit_->text()), inputEdit_, inputPath_);
}

void MainDialog::OnSetOutput() {
  if (job_.IsRunning()) return;
  if (Destination().place == PlaceKind::kMailAccount) {
    AskForAccount(false);
    return;
  }
  const QString current = outputEdit_->text();
  const bool folder = Destination().place == PlaceKind::kFolder;
  ChoosePath(folder ? OutputFolderRequest(current) : OutputFileRequest(current), outputEdit_,
             outputPath_);
}

void MainDialog::OnExit() {
  reject();
}

// "Exit", Escape and the close box during a run stop it first: the run cleans up, so that no
// file is left cut off. Meanwhile the window goes on handling its events.
void MainDialog::reject() {
  if (job_.IsRunning()) {
    if (stopping_) return;
    stopping_ = true;
    job_.RequestStop();
    // The window stays until the run is done.
    statusLine_->setText(CatalogText(Tr("stopping")));
    QEventLoop waiting;
    connect(this, &MainDialog::RunFinished, &waiting, &QEventLoop::quit);
    if (job_.IsRunning()) waiting.exec();
    stopping_ = false;
  }
  QDialog::reject();
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (!job_.IsRunning() && !DraggedFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

// Ignored during a run, as "Get Mailbox" is.
void MainDialog::dropEvent(QDropEvent* event) {
  const QString file = DraggedFile(event->mimeData());
  if (job_.IsRunning() || file.isEmpty()) return;
  inputEdit_->setText(file);
  inputPath_ = PathBytes(file);
  event->acceptProposedAction();
}

void MainDialog::SetUpControls() {
  convertButton_->setObjectName(QStringLiteral("convert"));
  inputEdit_->setObjectName(QStringLiteral("input"));
  outputEdit_->setObjectName(QStringLiteral("output"));
  getMailboxButton_->setObjectName(QStringLiteral("getMailbox"));
  setOutputButton_->setObjectName(QStringLiteral("setOutput"));
  exitButton_->setObjectName(QStringLiteral("exit"));
  logBox_->setObjectName(QStringLiteral("log"));
  progressBar_->setObjectName(QStringLiteral("progress"));
  statusLine_->setObjectName(QStringLiteral("status"));
  destinationBox_->setObjectName(QStringLiteral("destination"));
  for (const DestinationChoice& choice : kDestinationChoices) {
    destinationBox_->addItem(CatalogText(Tr(choice.label)));
  }

  convertButton_->setDefault(true);
  // The edits would take a dropped file as text, its address in the middle of what they hold;
  // the window takes it instead.
  setAcceptDrops(true);
  inputEdit_->setAcceptDrops(false);
  outputEdit_->setAcceptDrops(false);
  logBox_->setReadOnly(true);
  logBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
  logBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  logBox_->setTabChangesFocus(true);
  progressBar_->setTextVisible(false);
  statusLine_->setReadOnly(true);
  statusLine_->setFrame(false);
  QPalette quiet = statusLine_->palette();  // a read-only line, shown on the window's colour
  quiet.setColor(QPalette::Base, quiet.color(QPalette::Window));
  statusLine_->setPalette(quiet);

  QWidget* previous = convertButton_;
  for (QWidget* next :
       std::initializer_list<QWidget*>{inputEdit_, outputEdit_, getMailboxButton_, setOutputButton_,
                                       destinationBox_, exitButton_, logBox_, statusLine_}) {
    setTabOrder(previous, next);
    previous = next;
  }
}

// The template's grid: the two path rows with their buttons on the right, the progress bar and
// the status line beside "Convert" and "Exit", the log box across the bottom. Empty rows keep
// the template's gaps.
void MainDialog::ArrangeControls() {
  const DialogUnits units(fontMetrics());
  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->setContentsMargins(units.X(7), units.Y(8), units.X(7), units.Y(7));
  grid->setHorizontalSpacing(units.X(6));
  grid->setVerticalSpacing(0);

  const struct {
    QWidget* left;
    QWidget* right;
    int gapAfter;
  } rows[] = {{inputEdit_, getMailboxButton_, 11},
              {outputEdit_, setOutputButton_, 13},
              {progressBar_, convertButton_, 4},
              {statusLine_, exitButton_, 8}};
  int row = 0;
  for (const auto& [left, right, gapAfter] : rows) {
    grid->addWidget(left, row, 0);
    grid->addWidget(right, row, 1);
    grid->setRowMinimumHeight(row + 1, units.Y(gapAfter));
    row += 2;
  }
  grid->addWidget(logBox_, row, 0, 1, 2);
  // In the gap under the output path, which it belongs to.
  grid->addWidget(destinationBox_, 3, 0, Qt::AlignLeft);

  // The template's width, or wider where a label needs it (German ones are longer); the four
  // stay alike.
  const std::initializer_list<QPushButton*> buttons = {getMailboxButton_, setOutputButton_,
                                                       convertButton_, exitButton_};
  int buttonWidth = units.X(50);
  for (QPushButton* button : buttons)
    buttonWidth = std::max(buttonWidth, button->sizeHint().width());
  for (QPushButton* button : buttons) {
    button->setFixedWidth(buttonWidth);
    button->setMinimumHeight(units.Y(14));
  }
  for (QWidget* wide :
       std::initializer_list<QWidget*>{inputEdit_, outputEdit_, progressBar_, statusLine_}) {
    wide->setMinimumWidth(units.X(207));
  }
  progressBar_->setFixedHeight(units.Y(14));
  logBox_->setFixedHeight(units.Y(92));
}

void MainDialog::ConnectControls() {
  connect(convertButton_, &QPushButton::clicked, this, &MainDialog::OnConvert);
  connect(getMailboxButton_, &QPushButton::clicked, this, &MainDialog::OnGetMailbox);
  connect(setOutputButton_, &QPushButton::clicked, this, &MainDialog::OnSetOutput);
  connect(exitButton_, &QPushButton::clicked, this, &MainDialog::OnExit);
  connect(destinationBox_, &QComboBox::currentIndexChanged, this, &MainDialog::OnDestinationChosen);
}

// A path that cannot be read back leaves its edit empty.
void MainDialog::ShowRememberedRun() {
  const RememberedRun run = LoadRememberedRun();
  const DestinationChoice& destination = ChoiceNamed(run.destination);
  inputEdit_->setText(PathText(run.inputPath));
  // An account is remembered by its address; one that does not read back leaves the fields empty.
  if (destination.place == PlaceKind::kMailAccount) {
    account_ = FieldsOfAddress(run.outputPath);
  } else {
    outputEdit_->setText(PathText(run.outputPath));
  }
  destinationBox_->setCurrentIndex(ChoiceIndex(destination));
  OnDestinationChosen();  // the first entry is chosen already and would not say so
  inputPath_ = PathBytes(inputEdit_->text());
  outputPath_ = PathBytes(outputEdit_->text());
}

// The output path means nothing while the folders go into the default Thunderbird profile. For a
// mail account the edit shows the account's address, which only the account's dialog changes;
// the path comes back with a choice that takes one.
void MainDialog::OnDestinationChosen() {
  const PlaceKind place = Destination().place;
  const bool account = place == PlaceKind::kMailAccount;
  if (account && !showingAccount_) {
    pathText_ = outputEdit_->text();
    ShowAccount();
  } else if (!account && showingAccount_) {
    outputEdit_->setText(pathText_);
  }
  showingAccount_ = account;
  outputEdit_->setReadOnly(account);
  const bool needsPlace = place != PlaceKind::kDefaultProfile;
  outputEdit_->setEnabled(needsPlace);
  setOutputButton_->setEnabled(needsPlace);
}

// Empty until the account's fields make an address.
void MainDialog::ShowAccount() {
  const std::string address = CheckAccount(account_, {}, false).address;
  outputEdit_->setText(QString::fromUtf8(address.data(), qsizetype(address.size())));
}

bool MainDialog::AskForAccount(bool passwordNeeded) {
  AccountDialog dialog(account_, password_, passwordNeeded, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  account_ = dialog.Fields();
  password_ = dialog.Password();
  ShowAccount();
  return true;
}

const DestinationChoice& MainDialog::Destination() const {
  const int index = destinationBox_->currentIndex();
  if (index < 0 || index >= int(kDestinationChoices.size())) return kDestinationChoices.front();
  return kDestinationChoices[std::size_t(index)];
}

void MainDialog::ChoosePath(const FileRequest& request, QLineEdit* edit, std::string& path) {
  const std::optional<QString> chosen = chooser_->Choose(this, request);
  if (!chosen) return;
  edit->setText(*chosen);
  path = PathBytes(*chosen);
}

// The worker is done with the log when it says it has ended, so the findings can be logged from
// here, after its last line; then everything waiting is shown at once.
void MainDialog::RunEnded() {
  LogFindings();
  logView_.Flush();
  statusSink_.Flush();
  emit RunFinished();
}

// The files the export names but that were not there, and the messages not converted in full:
// a count, then the first of them, so that a user who sees no terminal learns it too.
void MainDialog::LogFindings() {
  log_.LogLines(EndOfRunReport(job_.Findings()));
}

}  // namespace vandrel
