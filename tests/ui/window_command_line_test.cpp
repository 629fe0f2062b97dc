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

// Runs the window with `args` where Qt would have to reach an X display that is not there; the
// locale variables in `locale` replace the test's own.
Result RunWithoutDisplay(const QStringList& args, const QString& platform = "xcb",
                         const QStringList& locale = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!locale.isEmpty()) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
      env.remove(QString::fromLatin1(name));
    for (const QString& setting : locale)
      env.insert(setting.section('=', 0, 0), setting.section('=', 1));
  }
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
  void SpeaksTheSystemsLanguage_data();
  void SpeaksTheSystemsLanguage();
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

void WindowCommandLineTest::SpeaksTheSystemsLanguage_data() {
  QTest::addColumn<QStringList>("locale");
  QTest::addColumn<QByteArray>("helpStart");
  QTest::addColumn<QByteArray>("buttons");  // as the help names them
  QTest::addColumn<QByteArray>("complaint");
  const QByteArray english =
      "The following argument was not expected: --bogus\nRun with --help for more information.\n";
  QTest::newRow("German") << QStringList{"LANG=de_DE.UTF-8"} << QByteArray("Vandrel konvertiert ")
                          << QByteArray("\xE2\x80\x9EPostfach w\xC3\xA4hlen\xE2\x80\x9C bestimmt")
                          << QByteArray(
                                 "Dieses Argument wurde nicht erwartet: --bogus\n"
                                 "Weitere Informationen erhalten Sie mit --help.\n");
  QTest::newRow("the C locale beats LANGUAGE")
      << QStringList{"LC_ALL=C", "LANGUAGE=de"} << QByteArray("Vandrel converts ")
      << QByteArray("\"Get Mailbox\" picks") << english;
  QTest::newRow("neither") << QStringList{"LANG=fr_FR.UTF-8"} << QByteArray("Vandrel converts ")
                           << QByteArray("\"Get Mailbox\" picks") << english;
}

// The help names the buttons as the window does, and one unexpected argument is complained of
// in the singular.
void WindowCommandLineTest::SpeaksTheSystemsLanguage() {
  QFETCH(QStringList, locale);
  QFETCH(QByteArray, helpStart);
  QFETCH(QByteArray, buttons);
  QFETCH(QByteArray, complaint);
  const Result help = RunWithoutDisplay({"--help"}, "xcb", locale);
  QVERIFY(help.finished);
  QCOMPARE(help.code, 0);
  QVERIFY2(help.out.startsWith(helpStart), help.out.constData());
  QVERIFY2(help.out.contains(buttons), help.out.constData());
  const Result refused = RunWithoutDisplay({"-platform", "offscreen", "--bogus"}, {}, locale);
  QVERIFY(refused.finished);
  QCOMPARE(refused.code, 2);
  QVERIFY2(refused.err == complaint || refused.err.endsWith("\n" + complaint),
           refused.err.constData());
}

}  // namespace vandrel

QTEST_GUILESS_MAIN(vandrel::WindowCommandLineTest)
#include "window_command_line_test.moc"
