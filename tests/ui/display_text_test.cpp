#include "ui/qt/display_text.h"

#include <QTest>

#include <string>

namespace vandrel {

class DisplayTextTest : public QObject {
  Q_OBJECT

 private slots:
  void DecodesUtf8OrElseWindows1252_data();
  void DecodesUtf8OrElseWindows1252();
  void DecodesEachLogLineOnItsOwn();
};

void DisplayTextTest::DecodesUtf8OrElseWindows1252_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("shown");
  QTest::newRow("ascii") << QByteArray("processing Inbox") << QStringLiteral("processing Inbox");
  QTest::newRow("empty") << QByteArray() << QString();
  QTest::newRow("utf-8 path") << QByteArray("/home/j\xc3\xb6rg/mail.mbx")
                              << QStringLiteral("/home/j\u00f6rg/mail.mbx");
  QTest::newRow("latin letters") << QByteArray("Entw\xfcrfe Gesch\xe4\x66tlich")
                                 << QStringLiteral("Entw\u00fcrfe Gesch\u00e4ftlich");
  QTest::newRow("windows-1252 punctuation")
      << QByteArray("\x80 \x84quoted\x93 \x96 \x9f")
      << QStringLiteral("\u20ac \u201equoted\u201c \u2013 \u0178");
  // Windows maps them to C1 controls of the same number, which are shown as U+FFFD.
  QTest::newRow("unassigned bytes")
      << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\ufffd\ufffd\ufffd\ufffd\ufffd");
  QTest::newRow("truncated utf-8 sequence") << QByteArray("ab\xc3") << QStringLiteral("ab\u00c3");
  QTest::newRow("nul byte") << QByteArray("a\0b", 3) << QStringLiteral("a\u2400b");
  QTest::newRow("escape sequence in utf-8")
      << QByteArray("\x1b[31mrot\xc3\xa4\x1b]0;x\x07")
      << QStringLiteral("\u241b[31mrot\u00e4\u241b]0;x\u2407");
  QTest::newRow("c1 control and del in utf-8")
      << QByteArray("a\xc2\x9b-\x7f") << QStringLiteral("a\ufffd-\u2421");
  QTest::newRow("controls in windows-1252")
      << QByteArray("Entw\xfcrfe\x1b\x7f\x9b\x81")
      << QStringLiteral("Entw\u00fcrfe\u241b\u2421\u203a\ufffd");
  QTest::newRow("line breaks in a one-line text")
      << QByteArray("a\r\n-\t.") << QStringLiteral("a\u240d\u240a-\u2409.");
}

void DisplayTextTest::DecodesUtf8OrElseWindows1252() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, shown);
  QCOMPARE(DisplayText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
           shown);
}

void DisplayTextTest::DecodesEachLogLineOnItsOwn() {
  const std::string log =
      "converting to output file: /home/j\xc3\xb6rg/m.mbx\r\nprocessing Entw\xfcrfe\r\n\r\nx";
  QCOMPARE(DisplayLogText(log),
           QStringLiteral("converting to output file: /home/j\u00f6rg/m.mbx\nprocessing "
                          "Entw\u00fcrfe\n\nx"));
  QCOMPARE(DisplayLogText(std::string("sub\x1bject\r\nnul\0.\r\nlone\rcr\xfc", 25)),
           QStringLiteral("sub\u241bject\nnul\u2400.\nlone\u240dcr\u00fc"));
  QCOMPARE(DisplayLogText(""), QString());
  QCOMPARE(DisplayLogText("\r\n"), QStringLiteral("\n"));
  // A message box's lines are separated by LF alone; a CR before one is the line's own.
  QCOMPARE(DisplayLines("Datei \x1b[8mgone\r\n(hint)"),
           QStringLiteral("Datei \u241b[8mgone\u240d\n(hint)"));
}

}  // namespace vandrel

QTEST_APPLESS_MAIN(vandrel::DisplayTextTest)
#include "display_text_test.moc"
