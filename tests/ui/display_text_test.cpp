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
  QTest::newRow("unassigned bytes keep their number")
      << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
  QTest::newRow("truncated utf-8 sequence") << QByteArray("ab\xc3") << QStringLiteral("ab\u00c3");
  QTest::newRow("nul byte") << QByteArray("a\0b", 3)
                            << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
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
  QCOMPARE(DisplayLogText(""), QString());
  QCOMPARE(DisplayLogText("\r\n"), QStringLiteral("\n"));
}

}  // namespace vandrel

QTEST_APPLESS_MAIN(vandrel::DisplayTextTest)
#include "display_text_test.moc"
