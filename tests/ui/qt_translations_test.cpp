// Qt's own texts, those of the file dialogs, the standard buttons and the edits' context menus,
// follow the language of ours.
#include "ui/qt/qt_translations.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace vandrel {

class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void QtsOwnTextsFollowOurLanguage_data();
  void QtsOwnTextsFollowOurLanguage();
};

namespace {

// Without the accelerator marks, which the languages place differently.
QString Plain(QString text) {
  return text.remove(QLatin1Char('&'));
}

}  // namespace

void QtTranslationsTest::QtsOwnTextsFollowOurLanguage_data() {
  QTest::addColumn<Language>("language");
  QTest::addColumn<bool>("installed");
  QTest::addColumn<QString>("cancel");  // a standard button
  QTest::addColumn<QString>("undo");    // the first entry of an edit's context menu
  QTest::newRow("English") << Language::kEnglish << false << "Cancel"
                           << "Undo";
  QTest::newRow("German") << Language::kGerman << true << "Abbrechen"
                          << "Rückgängig";
}

void QtTranslationsTest::QtsOwnTextsFollowOurLanguage() {
  QFETCH(Language, language);
  QFETCH(bool, installed);
  QFETCH(QString, cancel);
  QFETCH(QString, undo);
  QTranslator translator;  // uninstalled again as it goes
  QVERIFY2(InstallQtTranslations(translator, language) == installed,
           "Qt's German texts come with Debian's qt6-translations-l10n");
  const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
  QCOMPARE(Plain(buttons.button(QDialogButtonBox::Cancel)->text()), cancel);
  QLineEdit edit;
  const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QVERIFY(!menu->actions().isEmpty());
  QVERIFY2(Plain(menu->actions().front()->text()).startsWith(undo),
           qPrintable(menu->actions().front()->text()));
}

}  // namespace vandrel

QTEST_MAIN(vandrel::QtTranslationsTest)
#include "qt_translations_test.moc"
