// The application ends when its window closes: when idle, and during a run once the run, asked
// to stop, has cleaned up, leaving no file behind.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "held_export.h"
#include "test_export.h"

namespace vandrel {
namespace {

constexpr int kProcessTimeoutMs = 120000;

}  // namespace

class ConverterAppTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void EndsWhenTheWindowCloses_data();
  void EndsWhenTheWindowCloses();

 private:
  QTemporaryDir work_;
};

void ConverterAppTest::initTestCase() {
  QVERIFY(work_.isValid());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(work_.path()));
}

void ConverterAppTest::EndsWhenTheWindowCloses_data() {
  QTest::addColumn<QString>("mode");
  QTest::newRow("idle after a run") << "convert";
  QTest::newRow("during a run") << "exit-during-run";
}

void ConverterAppTest::EndsWhenTheWindowCloses() {
  QFETCH(QString, mode);
  const bool duringRun = mode == "exit-during-run";
  const QString input = work_.filePath(mode + ".txt");
  QByteArray exported;
  for (int i = 0; i < 50; ++i)
    exported += test::Message("Inbox", "Nachricht " + QByteArray::number(i));
  // During a run the export is a pipe this test holds open: the run cannot end before "Exit".
  std::optional<test::HeldExport> held;
  if (duringRun) {
    held.emplace(input);
    QVERIFY(held->IsHeld());
  } else {
    QVERIFY(test::WriteFile(input, exported));
  }
  const QString output = work_.filePath(mode + ".mbx");

  QProcess app;
  app.start(QStringLiteral(VANDREL_WINDOW_DRIVER), {mode, input, output});
  if (duringRun) {
    // "Exit" is clicked while the run waits for the export; then the run may go on, and stops.
    QByteArray said;
    while (!said.contains("stopping")) {
      QVERIFY(app.waitForReadyRead(kProcessTimeoutMs));
      said += app.readAllStandardOutput();
    }
    QVERIFY(held->Release(exported));
  }
  QVERIFY(app.waitForFinished(kProcessTimeoutMs));
  QCOMPARE(app.exitStatus(), QProcess::NormalExit);  // no abort, no crash
  QCOMPARE(app.exitCode(), 0);
  const QString written = work_.filePath(mode + "Inbox.mbx");
  if (duringRun) {
    // Stopped while it read the export: nothing is written, nothing is left half-written.
    QVERIFY(!QFile::exists(written));
    QCOMPARE(
        QDir(work_.path()).entryList(QStringList{".vandrel*"}, QDir::Hidden | QDir::AllEntries),
        QStringList{});
  } else {
    QCOMPARE(test::CountMessages(test::ReadFile(written)), 50);
  }
}

}  // namespace vandrel

QTEST_GUILESS_MAIN(vandrel::ConverterAppTest)
#include "converter_app_test.moc"
