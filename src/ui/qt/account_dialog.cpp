#include "ui/qt/account_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "texts/texts.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/display_text.h"

namespace vandrel {
namespace {

QString Text(std::string_view utf8) {
  return CatalogText(utf8);
}

std::string Utf8(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace

AccountDialog::AccountDialog(const AccountFields& fields, const std::string& password,
                             bool passwordNeeded, QWidget* parent)
    : QDialog(parent),
      server_(new QLineEdit(Text(fields.server), this)),
      port_(new QLineEdit(Text(fields.port), this)),
      user_(new QLineEdit(Text(fields.user), this)),
      password_(new QLineEdit(Text(password), this)),
      security_(new QComboBox(this)),
      problem_(new QLabel(this)),
      shownSecurity_(fields.security),
      top_(fields.top),
      passwordNeeded_(passwordNeeded) {
  setWindowTitle(Text(Tr("Mail account")));
  server_->setObjectName(QStringLiteral("server"));
  port_->setObjectName(QStringLiteral("port"));
  user_->setObjectName(QStringLiteral("user"));
  password_->setObjectName(QStringLiteral("password"));
  security_->setObjectName(QStringLiteral("security"));
  problem_->setObjectName(QStringLiteral("problem"));
  password_->setEchoMode(QLineEdit::Password);
  for (const SecurityChoice& choice : kSecurityChoices) {
    security_->addItem(Text(Tr(choice.label)));
    if (choice.security == fields.security) security_->setCurrentIndex(security_->count() - 1);
  }
  problem_->setWordWrap(true);

  const DialogUnits units(fontMetrics());
  auto* form = new QFormLayout;
  form->addRow(Text(Tr("&Server:")), server_);
  form->addRow(Text(Tr("&Port:")), port_);
  form->addRow(Text(Tr("&User name:")), user_);
  form->addRow(Text(Tr("Pass&word:")), password_);
  form->addRow(Text(Tr("Se&curity:")), security_);
  server_->setMinimumWidth(units.X(150));
  port_->setMaximumWidth(units.X(40));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  // Worded as the Windows dialog's, from our catalog rather than Qt's.
  buttons->button(QDialogButtonBox::Ok)->setText(Text(TrC("button", "OK")));
  buttons->button(QDialogButtonBox::Cancel)->setText(Text(TrC("button", "Cancel")));
  auto* column = new QVBoxLayout(this);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addLayout(form);
  column->addWidget(problem_);
  column->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &AccountDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &AccountDialog::reject);
  connect(security_, &QComboBox::currentIndexChanged, this, &AccountDialog::OnSecurityChosen);

  // The first field still to fill takes the focus.
  QLineEdit* first = password_;
  for (QLineEdit* edit : {server_, user_}) {
    if (edit->text().trimmed().isEmpty()) {
      first = edit;
      break;
    }
  }
  first->setFocus();
}

AccountFields AccountDialog::Fields() const {
  return {Utf8(server_->text()), Utf8(port_->text()), Utf8(user_->text()), Security(), top_};
}

std::string AccountDialog::Password() const {
  return Utf8(password_->text());
}

void AccountDialog::accept() {
  const AccountCheck check = CheckAccount(Fields(), Password(), passwordNeeded_);
  if (!check.problem.empty()) {
    problem_->setText(Text(check.problem));
    if (QLineEdit* edit = Edit(check.field)) {
      edit->setFocus();
      edit->selectAll();
    }
    return;
  }
  address_ = check.address;
  QDialog::accept();
}

void AccountDialog::OnSecurityChosen() {
  const ImapSecurity chosen = Security();
  port_->setText(Text(PortAfterSecurityChange(Utf8(port_->text()), shownSecurity_, chosen)));
  shownSecurity_ = chosen;
}

ImapSecurity AccountDialog::Security() const {
  const int index = security_->currentIndex();
  if (index < 0 || index >= int(kSecurityChoices.size())) return kSecurityChoices.front().security;
  return kSecurityChoices[std::size_t(index)].security;
}

QLineEdit* AccountDialog::Edit(AccountField field) const {
  switch (field) {
    case AccountField::kServer:
      return server_;
    case AccountField::kPort:
      return port_;
    case AccountField::kUser:
      return user_;
    case AccountField::kPassword:
      return password_;
    case AccountField::kNone:
      break;
  }
  return nullptr;
}

}  // namespace vandrel
