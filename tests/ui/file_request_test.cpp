// What "Get Mailbox" and "Set Output" ask for, and the Qt file and folder dialogs that answer.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "test_export.h"
#include "ui/qt/file_request.h"
#include "ui/qt/qt_file_chooser.h"

namespace vandrel {
namespace {

// Acts on the modal windows as they come up, one step per window: each step gets the window on
// top. A step that opens another modal window queues that, since a timer does not fire again
// while its own slot is still running.
class ModalScript : public QObject {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Act);
    timer_.start(10);
  }
  bool Done() const { return next_ == steps_.size(); }

 private:
  void Act() {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr || top == last_ || Done()) return;
    last_ = top;
    steps_[next_++](top);  // may open a nested modal window, and come back here meanwhile
  }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QPointer<QWidget> last_;  // a window at the same address later is a new one
  QTimer timer_;
};

void Answer(QWidget* box, QMessageBox::StandardButton answer) {
  auto* message = qobject_cast<QMessageBox*>(box);
  QVERIFY(message != nullptr);
  message->button(answer)->click();
}

void ChooseFile(QWidget* dialog, const QString& name) {
  auto* files = qobject_cast<QFileDialog*>(dialog);
  QVERIFY(files != nullptr);
  // Typed, as a user would: selectFile() leaves a focused name field alone.
  auto* typed = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(typed != nullptr);
  typed->setText(name);
  // Queued, so that the script's timer is free again for a box that accept() may open.
  QMetaObject::invokeMethod(files, &QDialog::accept, Qt::QueuedConnection);
}

}  // namespace

class FileRequestTest : public QObject {
  Q_OBJECT

 private slots:
  void FolderIsTheTextUpToTheLastSeparator_data();
  void FolderIsTheTextUpToTheLastSeparator();
  void RequestsCarryTheFiltersAndSuffixes();
  void DialogIsSetUpFromTheRequest_data();
  void DialogIsSetUpFromTheRequest();
  void SaveDialogAddsTheSuffixAndAsksBeforeReplacing();
  void OpenDialogChoosesOrCancels();
  void FolderDialogShowsFoldersOnly();
  void FolderDialogChoosesAFolder();
};

void FileRequestTest::FolderIsTheTextUpToTheLastSeparator_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("folder");
  QTest::newRow("windows path") << "C:\\in\\export.txt"
                                << "C:\\in";
  QTest::newRow("posix path") << "/home/ann/export.txt"
                              << "/home/ann";
  QTest::newRow("both separators, slash last") << "C:\\in/sub/x.txt"
                                               << "C:\\in/sub";
  QTest::newRow("both separators, backslash last") << "/home/a\\x.txt"
                                                   << "/home/a";
  QTest::newRow("bare name: the platform's default") << "export.txt"
                                                     << "";
  QTest::newRow("empty") << ""
                         << "";
  QTest::newRow("file in the root") << "/export.txt"
                                    << "/";
  QTest::newRow("trailing separator") << "/home/ann/"
                                      << "/home/ann";
  QTest::newRow("relative folder") << "in/export.txt"
                                   << "in";
}

void FileRequestTest::FolderIsTheTextUpToTheLastSeparator() {
  QFETCH(QString, path);
  QFETCH(QString, folder);
  QCOMPARE(FolderOfPath(path), folder);
}

void FileRequestTest::RequestsCarryTheFiltersAndSuffixes() {
  const FileRequest mailbox = MailboxFileRequest(QStringLiteral("/in/export.txt"));
  QCOMPARE(mailbox.mode, FileRequest::Mode::Open);
  QCOMPARE(mailbox.folder, QStringLiteral("/in"));
  QCOMPARE(mailbox.filters, QStringList({"Mailbox Files (*.txt)", "All Files (*)"}));
  QCOMPARE(mailbox.defaultSuffix, QStringLiteral("txt"));
  const FileRequest output = OutputFileRequest(QStringLiteral("/out/mail.mbx"));
  QCOMPARE(output.mode, FileRequest::Mode::Save);
  QCOMPARE(output.folder, QStringLiteral("/out"));
  QCOMPARE(output.filters, QStringList({"Mailbox Files (*.mbx)", "All Files (*)"}));
  QCOMPARE(output.defaultSuffix, QStringLiteral("mbx"));
  // A folder starts at the folder shown, not at its parent.
  const FileRequest folder = OutputFolderRequest(QStringLiteral("/home/ann/Maildir"));
  QCOMPARE(folder.mode, FileRequest::Mode::Folder);
  QCOMPARE(folder.folder, QStringLiteral("/home/ann/Maildir"));
  QVERIFY(folder.filters.isEmpty());
  QVERIFY(folder.defaultSuffix.isEmpty());
}

void FileRequestTest::DialogIsSetUpFromTheRequest_data() {
  QTest::addColumn<bool>("save");
  QTest::newRow("open") << false;
  QTest::newRow("save") << true;
}

void FileRequestTest::DialogIsSetUpFromTheRequest() {
  QFETCH(bool, save);
  QTemporaryDir folder;
  const QString current = folder.filePath(QStringLiteral("old.name"));
  const FileRequest request = save ? OutputFileRequest(current) : MailboxFileRequest(current);
  const auto dialog = QtFileChooser().CreateDialog(nullptr, request);
  QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
  QCOMPARE(dialog->nameFilters(), request.filters);
  QCOMPARE(dialog->defaultSuffix(), request.defaultSuffix);
  QCOMPARE(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());
}

void FileRequestTest::SaveDialogAddsTheSuffixAndAsksBeforeReplacing() {
  QTemporaryDir folder;
  QVERIFY(test::WriteFile(folder.filePath("old.mbx"), "x"));
  QtFileChooser chooser(QtFileChooser::Dialogs::QtOwn);
  const FileRequest request = OutputFileRequest(folder.filePath("any.mbx"));

  {
    ModalScript fresh({[](QWidget* d) { ChooseFile(d, "new"); }});
    QCOMPARE(chooser.Choose(nullptr, request), std::optional(folder.filePath("new.mbx")));
    QVERIFY(fresh.Done());
  }
  {
    // "No" keeps the dialog open; "Yes" takes the file.
    ModalScript replace({[](QWidget* d) { ChooseFile(d, "old"); },
                         [](QWidget* box) { Answer(box, QMessageBox::No); },
                         [](QWidget* d) { ChooseFile(d, "old"); },
                         [](QWidget* box) { Answer(box, QMessageBox::Yes); }});
    QCOMPARE(chooser.Choose(nullptr, request), std::optional(folder.filePath("old.mbx")));
    QVERIFY(replace.Done());
  }
}

void FileRequestTest::OpenDialogChoosesOrCancels() {
  QTemporaryDir folder;
  QVERIFY(test::WriteFile(folder.filePath("export.txt"), "x"));
  QtFileChooser chooser(QtFileChooser::Dialogs::QtOwn);
  const FileRequest request = MailboxFileRequest(folder.filePath("export.txt"));
  {
    ModalScript cancel({[](QWidget* d) { qobject_cast<QDialog*>(d)->reject(); }});
    QCOMPARE(chooser.Choose(nullptr, request), std::optional<QString>());
  }
  {
    ModalScript choose({[](QWidget* d) { ChooseFile(d, "export"); }});  // the suffix is added
    QCOMPARE(chooser.Choose(nullptr, request), std::optional(folder.filePath("export.txt")));
  }
}

void FileRequestTest::FolderDialogShowsFoldersOnly() {
  QTemporaryDir folder;
  const auto dialog = QtFileChooser().CreateDialog(nullptr, OutputFolderRequest(folder.path()));
  QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
  QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
  QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
  QCOMPARE(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());
}

void FileRequestTest::FolderDialogChoosesAFolder() {
  QTemporaryDir folder;
  QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Maildir")));
  QtFileChooser chooser(QtFileChooser::Dialogs::QtOwn);
  const FileRequest request = OutputFolderRequest(folder.path());
  {
    ModalScript cancel({[](QWidget* d) { qobject_cast<QDialog*>(d)->reject(); }});
    QCOMPARE(chooser.Choose(nullptr, request), std::optional<QString>());
  }
  {
    ModalScript choose({[](QWidget* d) { ChooseFile(d, "Maildir"); }});
    QCOMPARE(chooser.Choose(nullptr, request), std::optional(folder.filePath("Maildir")));
    QVERIFY(choose.Done());
  }
}

}  // namespace vandrel

QTEST_MAIN(vandrel::FileRequestTest)
#include "file_request_test.moc"
