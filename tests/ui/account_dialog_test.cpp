// The "Mail account" dialog: what it starts with, the port that follows the security, and OK,
// which closes it only once the fields make an address.
#include "ui/qt/account_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "texts/scoped_language.h"

namespace vandrel {

class AccountDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void StartsWithTheFieldsItIsGiven();
  void ThePortFollowsTheSecurityWhileItIsTheDefault();
  void OkTakesOnlyFieldsThatMakeAnAddress_data();
  void OkTakesOnlyFieldsThatMakeAnAddress();
  void SpeaksTheLanguageChosen_data();
  void SpeaksTheLanguageChosen();
};

namespace {

QLineEdit* Edit(AccountDialog& dialog, const char* name) {
  auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
  if (edit == nullptr) qFatal("no field %s", name);
  return edit;
}

QComboBox* Security(AccountDialog& dialog) {
  return dialog.findChild<QComboBox*>(QStringLiteral("security"));
}

void PressOk(AccountDialog& dialog) {
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

}  // namespace

void AccountDialogTest::StartsWithTheFieldsItIsGiven() {
  const AccountFields fields{"mail.example.org", "1143", "ann", ImapSecurity::kStartTls, {"Old"}};
  AccountDialog dialog(fields, "kept", false);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Mail account"));
  QCOMPARE(Edit(dialog, "server")->text(), QStringLiteral("mail.example.org"));
  QCOMPARE(Edit(dialog, "port")->text(), QStringLiteral("1143"));
  QCOMPARE(Edit(dialog, "user")->text(), QStringLiteral("ann"));
  QCOMPARE(Edit(dialog, "password")->echoMode(), QLineEdit::Password);
  QCOMPARE(Security(dialog)->currentText(), QStringLiteral("STARTTLS"));
  QCOMPARE(Security(dialog)->count(), 2);
  PressOk(dialog);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.Fields(), fields);  // the top folder too, which is not shown
  QCOMPARE(dialog.Password(), std::string("kept"));
  QCOMPARE(dialog.Address(), std::string("imap://ann@mail.example.org:1143/Old"));
}

void AccountDialogTest::ThePortFollowsTheSecurityWhileItIsTheDefault() {
  AccountDialog dialog(AccountFields{}, {}, false);
  QLineEdit* port = Edit(dialog, "port");
  QComboBox* security = Security(dialog);
  QCOMPARE(port->text(), QStringLiteral("993"));
  security->setCurrentIndex(security->findText(QStringLiteral("STARTTLS")));
  QCOMPARE(port->text(), QStringLiteral("143"));
  security->setCurrentIndex(security->findText(QStringLiteral("SSL/TLS")));
  QCOMPARE(port->text(), QStringLiteral("993"));
  port->setText(QStringLiteral("10993"));
  security->setCurrentIndex(security->findText(QStringLiteral("STARTTLS")));
  QCOMPARE(port->text(), QStringLiteral("10993"));
}

void AccountDialogTest::OkTakesOnlyFieldsThatMakeAnAddress_data() {
  QTest::addColumn<QStringList>("typed");  // server, port, user, password
  QTest::addColumn<bool>("passwordNeeded");
  QTest::addColumn<QString>("problem");  // empty: accepted
  QTest::addColumn<QString>("focus");
  QTest::newRow("all there") << QStringList{"mail.example.org", "993", "ann", "pw"} << true << ""
                             << "";
  QTest::newRow("no password yet, set up only")
      << QStringList{"mail.example.org", "993", "ann", ""} << false << ""
      << "";
  QTest::newRow("no password for a run")
      << QStringList{"mail.example.org", "993", "ann", ""} << true << "Type the password."
      << "password";
  QTest::newRow("no server") << QStringList{"", "993", "ann", "pw"} << true << "Name the server."
                             << "server";
  QTest::newRow("no user") << QStringList{"mail.example.org", "993", " ", "pw"} << true
                           << "Name the user."
                           << "user";
  QTest::newRow("port out of range") << QStringList{"mail.example.org", "70000", "ann", "pw"}
                                     << true << "The port is a number from 1 to 65535."
                                     << "port";
}

// A problem shows in the dialog, which stays open with the field to correct in the focus.
void AccountDialogTest::OkTakesOnlyFieldsThatMakeAnAddress() {
  QFETCH(QStringList, typed);
  QFETCH(bool, passwordNeeded);
  QFETCH(QString, problem);
  QFETCH(QString, focus);
  AccountDialog dialog(AccountFields{}, {}, passwordNeeded);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  const char* names[] = {"server", "port", "user", "password"};
  for (int i = 0; i < 4; ++i)
    Edit(dialog, names[i])->setText(typed[i]);
  PressOk(dialog);
  QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("problem"))->text(), problem);
  QCOMPARE(dialog.isVisible(), !problem.isEmpty());
  if (problem.isEmpty()) {
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.Address().empty());
  } else {
    QCOMPARE(QApplication::focusWidget(), Edit(dialog, focus.toLatin1().constData()));
    QVERIFY(dialog.Address().empty());
  }
}

void AccountDialogTest::SpeaksTheLanguageChosen_data() {
  QTest::addColumn<Language>("language");
  QTest::addColumn<QStringList>("texts");  // the title, the labels, OK and Cancel
  QTest::addColumn<QString>("problem");    // of a dialog left empty
  QTest::newRow("English") << Language::kEnglish
                           << QStringList{"Mail account", "&Server:",   "&Port:", "&User name:",
                                          "Pass&word:",   "Se&curity:", "OK",     "Cancel"}
                           << "Name the server.";
  QTest::newRow("German") << Language::kGerman
                          << QStringList{"E-Mail-Konto", "&Server:",     "&Port:", "&Benutzername:",
                                         "Pass&wort:",   "Si&cherheit:", "OK",     "Abbrechen"}
                          << "Geben Sie den Server an.";
}

void AccountDialogTest::SpeaksTheLanguageChosen() {
  QFETCH(Language, language);
  QFETCH(QStringList, texts);
  QFETCH(QString, problem);
  const ScopedLanguage chosen(language);
  AccountDialog dialog(AccountFields{}, {}, false);
  const auto* form = dialog.findChild<QFormLayout*>();
  QStringList shown = {dialog.windowTitle()};
  for (const char* name : {"server", "port", "user", "password", "security"}) {
    const auto* label = qobject_cast<QLabel*>(
        form->labelForField(dialog.findChild<QWidget*>(QString::fromLatin1(name))));
    shown << (label != nullptr ? label->text() : QString());
  }
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  shown << buttons->button(QDialogButtonBox::Ok)->text()
        << buttons->button(QDialogButtonBox::Cancel)->text();
  QCOMPARE(shown, texts);
  PressOk(dialog);
  QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("problem"))->text(), problem);
}

}  // namespace vandrel

QTEST_MAIN(vandrel::AccountDialogTest)
#include "account_dialog_test.moc"
