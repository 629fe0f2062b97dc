// The log view, the status sink and the information box, fed from a worker thread as a run
// feeds them.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <string>
#include <thread>

#include "log/activity_log.h"
#include "ui/qt/qt_information_box.h"
#include "ui/qt/qt_log_view.h"
#include "ui/qt/qt_status_sink.h"

namespace vandrel {
namespace {

// Long enough for any machine: the widgets are expected to get there, not to be quick.
constexpr int kShownTimeoutMs = 120000;

// Runs `work` on a thread of its own to its end while this thread handles no events at all, as
// a GUI thread busy elsewhere would. A sink that made the worker wait for the GUI thread would
// hang here, and the test would fail by its time limit.
template <typename Work>
void RunWithoutTheGuiThread(Work work) {
  std::thread worker(work);
  worker.join();
}

}  // namespace

class QtSinksTest : public QObject {
  Q_OBJECT

 private slots:
  void LogViewKeepsEveryTextInOrder();
  void StatusSinkShowsTheLastState_data();
  void StatusSinkShowsTheLastState();
  void StatusSinkEndsWhereAWorkerLeftIt();
  void InformationBoxIsModalAndWaits_data();
  void InformationBoxIsModalAndWaits();
};

void QtSinksTest::LogViewKeepsEveryTextInOrder() {
  QPlainTextEdit edit;
  edit.resize(300, 100);
  edit.show();
  QtLogView view(&edit);
  ActivityLog log;
  log.AttachEdit(&view);
  constexpr int kLines = 20000;
  QString expected;
  for (int i = 0; i < kLines; ++i) {
    expected += QStringLiteral("line %1 \u00fc").arg(i) + (i % 3 == 0 ? " continued" : "");
    if (i + 1 < kLines) expected += '\n';
  }
  // The separators depend on IsEmpty, which the worker asks long before the box shows anything.
  RunWithoutTheGuiThread([&] {
    for (int i = 0; i < kLines; ++i) {
      log.LogLine("line " + std::to_string(i) + " \xfc");
      if (i % 3 == 0) log.LogText(" continued", false);
    }
  });
  QVERIFY(!view.IsEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(edit.toPlainText(), expected, kShownTimeoutMs);
  QScrollBar* bar = edit.verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());
}

void QtSinksTest::StatusSinkShowsTheLastState_data() {
  QTest::addColumn<QByteArrayList>("calls");
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("position");
  QTest::addColumn<QString>("text");
  QTest::newRow("a run of three")
      << QByteArrayList{"range 4", "position 1", "text exporting (4 of 4)", "step", "step",
                        "step",    "text ready"}
      << 4 << 4 << "ready";
  QTest::newRow("steps stop at the maximum")
      << QByteArrayList{"range 2", "step", "step", "step"} << 2 << 2 << "";
  QTest::newRow("position beyond the range")
      << QByteArrayList{"range 5", "position 9"} << 5 << 5 << "";
  QTest::newRow("negative position") << QByteArrayList{"range 5", "position -3"} << 5 << 0 << "";
  QTest::newRow("a smaller range pulls the position in")
      << QByteArrayList{"range 10", "position 8", "range 3"} << 3 << 3 << "";
  QTest::newRow("no messages: an empty bar, not a busy one")
      << QByteArrayList{"range 0", "position 0", "text ready"} << 1 << 0 << "ready";
  QTest::newRow("a new run starts over")
      << QByteArrayList{"range 9", "position 9", "text ready",
                        "range 2", "position 1", "text converting ..."}
      << 2 << 1 << "converting ...";
  QTest::newRow("Windows-1252 subject") << QByteArrayList{"text exporting (2 of 2) Gr\xfc\xdf"
                                                       "e"}
                                        << 100 << -1 << QStringLiteral("exporting (2 of 2) Gr\u00fc\u00dfe");
}

void QtSinksTest::StatusSinkShowsTheLastState() {
  QFETCH(QByteArrayList, calls);
  QFETCH(int, maximum);
  QFETCH(int, position);
  QFETCH(QString, text);
  QLineEdit status;
  QProgressBar bar;
  QtStatusSink sink(&status, &bar);
  for (const QByteArray& call : calls) {
    const QByteArray argument = call.mid(call.indexOf(' ') + 1);
    if (call.startsWith("range")) sink.SetProgressRange(argument.toInt());
    if (call.startsWith("position")) sink.SetProgressPosition(argument.toInt());
    if (call == "step") sink.StepProgress();
    if (call.startsWith("text")) sink.SetStatusText(argument.toStdString());
  }
  // Nothing touches a widget until the GUI thread shows the state.
  QCOMPARE(status.text(), QString());
  QCOMPARE(bar.value(), -1);
  sink.Flush();
  QCOMPARE(bar.maximum(), maximum);
  QCOMPARE(bar.minimum(), 0);
  QCOMPARE(bar.value(), position);
  QCOMPARE(status.text(), text);
}

void QtSinksTest::StatusSinkEndsWhereAWorkerLeftIt() {
  QLineEdit status;
  QProgressBar bar;
  QtStatusSink sink(&status, &bar);
  constexpr int kMessages = 50000;
  RunWithoutTheGuiThread([&] {
    sink.SetProgressRange(kMessages + 1);
    sink.SetProgressPosition(1);
    for (int k = 2; k <= kMessages + 1; ++k) {
      const std::string text =
          "exporting (" + std::to_string(k) + " of " + std::to_string(kMessages + 1) + ")";
      sink.SetStatusText(text);
      sink.SetStatusText(text + " subject " + std::to_string(k));
      sink.StepProgress();
    }
  });
  QTRY_COMPARE_WITH_TIMEOUT(bar.value(), kMessages + 1, kShownTimeoutMs);
  QCOMPARE(bar.maximum(), kMessages + 1);
  QCOMPARE(status.text(), QStringLiteral("exporting (50001 of 50001) subject 50001"));
  QCOMPARE(status.cursorPosition(), 0);  // the start of a long status stays in view
}

void QtSinksTest::InformationBoxIsModalAndWaits_data() {
  QTest::addColumn<bool>("fromWorker");
  QTest::newRow("from the worker thread") << true;
  QTest::newRow("from the GUI thread") << false;
}

// A log without a view shows each text in a message box, and the caller goes on only once the
// user has closed it.
void QtSinksTest::InformationBoxIsModalAndWaits() {
  QFETCH(bool, fromWorker);
  QtInformationBox box;
  ActivityLog log;
  log.SetInformationBox(&box);
  std::atomic<bool> returned{false};
  QString title;
  QString text;
  bool wasModal = false;
  bool returnedWhileShown = true;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer closer;
  connect(&closer, &QTimer::timeout, [&] {
    auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (shown == nullptr) return;
    closer.stop();
    title = shown->windowTitle();
    text = shown->text();
    icon = shown->icon();
    wasModal = shown->isModal();
    returnedWhileShown = returned.load();
    shown->accept();
  });
  closer.start(10);
  const auto logOne = [&] {
    log.LogLine("no view");
    returned = true;
  };
  if (fromWorker) {
    std::thread worker(logOne);
    while (!returned.load())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    worker.join();
  } else {
    logOne();
  }
  QVERIFY(!returnedWhileShown);
  QVERIFY(wasModal);
  QCOMPARE(title, QStringLiteral("Vandrel"));
  QCOMPARE(text,
           QStringLiteral(
               "no view\n(Maybe you forgot to set the EDIT Control - so here's the message)"));
  QCOMPARE(icon, QMessageBox::Information);
}

}  // namespace vandrel

QTEST_MAIN(vandrel::QtSinksTest)
#include "qt_sinks_test.moc"
