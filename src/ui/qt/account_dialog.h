// "Mail account": the server, port, user name, password and security of the account a run puts
// the folders into. OK is taken only when the fields make an address; what to correct is shown
// in the dialog itself.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "ui/account_fields.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace vandrel {

class AccountDialog : public QDialog {
  Q_OBJECT

 public:
  // With `passwordNeeded` OK also wants a password: a run is about to start.
  AccountDialog(const AccountFields& fields, const std::string& password, bool passwordNeeded,
                QWidget* parent = nullptr);

  // Once accepted: what was typed, and the address it makes.
  AccountFields Fields() const;
  std::string Password() const;
  const std::string& Address() const { return address_; }

 public slots:
  void accept() override;

 private:
  void OnSecurityChosen();
  ImapSecurity Security() const;
  QLineEdit* Edit(AccountField field) const;

  QLineEdit* server_;
  QLineEdit* port_;
  QLineEdit* user_;
  QLineEdit* password_;
  QComboBox* security_;
  QLabel* problem_;
  ImapSecurity shownSecurity_;
  std::vector<std::string> top_;
  bool passwordNeeded_;
  std::string address_;
};

}  // namespace vandrel
