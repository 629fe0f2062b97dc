#include "ui/win32/account_dialog_win32.h"

#include "platform/utf16_win32.h"
#include "texts/texts.h"
#include "ui/win32/dialog_template_win32.h"
#include "ui/win32/resource_win32.h"

namespace vandrel {
namespace {

struct AccountDialog {
  AccountFields fields;
  std::string password;
  bool passwordNeeded = false;
  ImapSecurity shownSecurity = ImapSecurity::kTls;
};

std::string ItemText(HWND dialog, int id) {
  const HWND item = ::GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  std::string narrow = platform::Narrow(text);
  // The password's wide copy goes with the buffer; no trace of it is left behind.
  ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
  return narrow;
}

void SetItemText(HWND dialog, int id, std::string_view text) {
  ::SetDlgItemTextW(dialog, id, platform::Widen(text).c_str());
}

ImapSecurity ChosenSecurity(HWND dialog) {
  const LRESULT index = ::SendDlgItemMessageW(dialog, IDC_ACCOUNT_SECURITY, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= LRESULT(kSecurityChoices.size()))
    return kSecurityChoices.front().security;
  return kSecurityChoices[std::size_t(index)].security;
}

int FieldItem(AccountField field) {
  switch (field) {
    case AccountField::kServer:
      return IDC_ACCOUNT_SERVER;
    case AccountField::kPort:
      return IDC_ACCOUNT_PORT;
    case AccountField::kUser:
      return IDC_ACCOUNT_USER;
    case AccountField::kPassword:
      return IDC_ACCOUNT_PASSWORD;
    case AccountField::kNone:
      break;
  }
  return 0;
}

void Fill(HWND window, const AccountDialog& dialog) {
  SetControlTexts(window, {{0, Tr("Mail account")},
                           {IDC_ACCOUNT_SERVER_LABEL, Tr("&Server:")},
                           {IDC_ACCOUNT_PORT_LABEL, Tr("&Port:")},
                           {IDC_ACCOUNT_USER_LABEL, Tr("&User name:")},
                           {IDC_ACCOUNT_PASSWORD_LABEL, Tr("Pass&word:")},
                           {IDC_ACCOUNT_SECURITY_LABEL, Tr("Se&curity:")},
                           {IDOK, TrC("button", "OK")},
                           {IDCANCEL, TrC("button", "Cancel")}});
  SetItemText(window, IDC_ACCOUNT_SERVER, dialog.fields.server);
  SetItemText(window, IDC_ACCOUNT_PORT, dialog.fields.port);
  SetItemText(window, IDC_ACCOUNT_USER, dialog.fields.user);
  SetItemText(window, IDC_ACCOUNT_PASSWORD, dialog.password);
  for (const SecurityChoice& choice : kSecurityChoices) {
    const LRESULT index =
        ::SendDlgItemMessageW(window, IDC_ACCOUNT_SECURITY, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(platform::Widen(Tr(choice.label)).c_str()));
    if (choice.security == dialog.fields.security) {
      ::SendDlgItemMessageW(window, IDC_ACCOUNT_SECURITY, CB_SETCURSEL, WPARAM(index), 0);
    }
  }
  // The first field still to fill takes the focus.
  int first = IDC_ACCOUNT_PASSWORD;
  if (dialog.fields.server.empty()) {
    first = IDC_ACCOUNT_SERVER;
  } else if (dialog.fields.user.empty()) {
    first = IDC_ACCOUNT_USER;
  }
  ::SetFocus(::GetDlgItem(window, first));
}

void OnSecurityChosen(HWND window, AccountDialog& dialog) {
  const ImapSecurity chosen = ChosenSecurity(window);
  SetItemText(
      window, IDC_ACCOUNT_PORT,
      PortAfterSecurityChange(ItemText(window, IDC_ACCOUNT_PORT), dialog.shownSecurity, chosen));
  dialog.shownSecurity = chosen;
}

// The dialog stays open, telling what to correct, until the fields make an address.
void OnOk(HWND window, AccountDialog& dialog) {
  AccountFields fields{ItemText(window, IDC_ACCOUNT_SERVER), ItemText(window, IDC_ACCOUNT_PORT),
                       ItemText(window, IDC_ACCOUNT_USER), ChosenSecurity(window),
                       dialog.fields.top};
  std::string password = ItemText(window, IDC_ACCOUNT_PASSWORD);
  const AccountCheck check = CheckAccount(fields, password, dialog.passwordNeeded);
  if (!check.problem.empty()) {
    SetItemText(window, IDC_ACCOUNT_PROBLEM, check.problem);
    const HWND item = ::GetDlgItem(window, FieldItem(check.field));
    ::SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    ::SendMessageW(item, EM_SETSEL, 0, -1);
    return;
  }
  dialog.fields = std::move(fields);
  dialog.password = std::move(password);
  ::EndDialog(window, IDOK);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    Fill(window, *reinterpret_cast<AccountDialog*>(lParam));
    return FALSE;  // the focus is set
  }
  auto* dialog = reinterpret_cast<AccountDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr || message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  if (id == IDC_ACCOUNT_SECURITY && notification == CBN_SELCHANGE) {
    OnSecurityChosen(window, *dialog);
    return TRUE;
  }
  if (id == IDOK) {
    OnOk(window, *dialog);
    return TRUE;
  }
  if (id == IDCANCEL) {
    ::EndDialog(window, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool AskForAccount(HINSTANCE instance, HWND owner, AccountFields& fields, std::string& password,
                   bool passwordNeeded) {
  AccountDialog dialog{fields, password, passwordNeeded, fields.security};
  const INT_PTR result = ShowDialog(instance, IDD_ACCOUNT_DIALOG, owner, DialogProc,
                                    reinterpret_cast<LPARAM>(&dialog));
  if (result != IDOK) return false;
  fields = std::move(dialog.fields);
  password = std::move(dialog.password);
  return true;
}

}  // namespace vandrel
