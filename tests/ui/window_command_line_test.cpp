// The window's --help and --version print and exit before Qt looks for a display; arguments Qt
// does not take itself are refused.
#include <QProcess>
#include <QTest>

#include "ui/qt/window_command_line.h"
#include "vandrel/version.h"

namespace vandrel {
namespace {

constexpr int kProcessTimeoutMs = 60000;

struct Result {
  bool finished;
  QProcess::ExitStatus status;
  int code;
  QByteArray out;
  QByteArray err;
};

// Runs the window with `args` where Qt would have to reach an X display that is not there.
Result RunWithoutDisplay(const QStringList& args, const QString& platform = "xcb") {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  if (platform.isEmpty()) {
    env.remove("QT_QPA_PLATFORM");
  } else {
    env.insert("QT_QPA_PLATFORM", platform);
  }
  QProcess window;
  window.setProcessEnvironment(env);
  window.start(QStringLiteral(VANDREL_WINDOW), args);
  if (!window.waitForFinished(kProcessTimeoutMs)) {
    window.kill();
    window.waitForFinished();
    return {false, QProcess::CrashExit, -1, {}, {}};
  }
  return {true, window.exitStatus(), window.exitCode(), window.readAllStandardOutput(),
          window.readAllStandardError()};
}

}  // namespace

class WindowCommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void NeedsADisplayToOpen();
  void AnswersWithoutADisplay_data();
  void AnswersWithoutADisplay();
  void RefusesWhatQtDoesNotTake();
};

// Without this the test below would prove nothing: the window must fail here when it opens.
void WindowCommandLineTest::NeedsADisplayToOpen() {
  const Result result = RunWithoutDisplay({});
  QVERIFY(result.finished);
  QVERIFY(result.status == QProcess::CrashExit || result.code != 0);
}

void WindowCommandLineTest::AnswersWithoutADisplay_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QByteArray>("expected");
  const QByteArray help = QByteArray::fromStdString(WindowHelp());
  const QByteArray version = "vandrel " VANDREL_VERSION "\n";
  QTest::newRow("--help") << QStringList{"--help"} << help;
  QTest::newRow("-h") << QStringList{"-h"} << help;
  QTest::newRow("--version") << QStringList{"--version"} << version;
  QTest::newRow("after Qt's options") << QStringList{"-style", "Fusion", "--version"} << version;
  QTest::newRow("first one decides") << QStringList{"--version", "--help"} << version;
  QTest::newRow("despite other arguments") << QStringList{"--bogus", "--help"} << help;
}

void WindowCommandLineTest::AnswersWithoutADisplay() {
  QFETCH(QStringList, args);
  QFETCH(QByteArray, expected);
  const Result result = RunWithoutDisplay(args);
  QVERIFY(result.finished);
  QCOMPARE(result.status, QProcess::NormalExit);
  QCOMPARE(result.code, 0);
  QCOMPARE(result.out, expected);
  QCOMPARE(result.err, QByteArray());
}

// -platform is Qt's own and must not be named in the complaint; the rest must be.
void WindowCommandLineTest::RefusesWhatQtDoesNotTake() {
  const Result result = RunWithoutDisplay({"-platform", "offscreen", "--bogus", "extra"}, {});
  QVERIFY(result.finished);
  QCOMPARE(result.status, QProcess::NormalExit);
  QCOMPARE(result.code, 2);
  QCOMPARE(result.out, QByteArray());
  const QByteArray complaint =
      "The following arguments were not expected: --bogus extra\n"
      "Run with --help for more information.\n";
  // Qt may warn first, about its runtime folder for instance.
  QVERIFY2(result.err == complaint || result.err.endsWith("\n" + complaint),
           result.err.constData());
}

}  // namespace vandrel

QTEST_GUILESS_MAIN(vandrel::WindowCommandLineTest)
#include "window_command_line_test.moc"
