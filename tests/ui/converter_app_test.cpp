// The application ends when its window closes: normally when idle, and at once, with status 0,
// when the window is closed during a run, without waiting for the run to finish.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "test_export.h"

namespace vandrel {
namespace {

constexpr int kProcessTimeoutMs = 120000;

// An export that takes the worker a while: big enough that a run which is let finish writes
// thousands of messages after the first one.
QByteArray LongExport(int messages) {
  const QByteArray body =
      QByteArray("Ein langer Absatz mit Umlauten: \xe4\xf6\xfc\xdf.\r\n").repeated(200);
  QByteArray text;
  text.reserve(messages * (body.size() + 200));
  for (int i = 0; i < messages; ++i) {
    text += test::Message("Inbox", "Nachricht " + QByteArray::number(i), {}, body);
  }
  return text;
}

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
  QTest::addColumn<int>("messages");
  QTest::addColumn<bool>("runFinished");
  QTest::newRow("idle after a run") << "convert" << 50 << true;
  QTest::newRow("during a run") << "exit-during-run" << 6000 << false;
}

void ConverterAppTest::EndsWhenTheWindowCloses() {
  QFETCH(QString, mode);
  QFETCH(int, messages);
  QFETCH(bool, runFinished);
  const QString input = work_.filePath(mode + ".txt");
  QVERIFY(test::WriteFile(input, LongExport(messages)));
  const QString output = work_.filePath(mode + ".mbx");

  QProcess app;
  app.start(QStringLiteral(VANDREL_WINDOW_DRIVER), {mode, input, output});
  QVERIFY(app.waitForFinished(kProcessTimeoutMs));   // no hang waiting for the worker
  QCOMPARE(app.exitStatus(), QProcess::NormalExit);  // no abort, no crash
  QCOMPARE(app.exitCode(), 0);
  const int written = test::CountMessages(test::ReadFile(work_.filePath(mode + "Inbox.mbx")));
  if (runFinished) {
    QCOMPARE(written, messages);
  } else {
    QVERIFY2(written < messages, qPrintable(QString::number(written)));  // the run was cut off
  }
}

}  // namespace vandrel

QTEST_GUILESS_MAIN(vandrel::ConverterAppTest)
#include "converter_app_test.moc"
