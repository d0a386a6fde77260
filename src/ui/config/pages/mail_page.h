// The Mail page: the SMTP server, sender, account and up to five alarm e-mail addresses, loaded
// from the SMTP record; the sheet writes the record back. CMailAccountEditDlg takes one
// address.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

#include "ui/common/ui_dialog.h"
#include "ui/config/pages/sys_conf_page.h"

namespace ui {
class ListCtrl;
}

// The address formatter. Mode 0 turns a bare address into the shown form: the part before the
// "@", " <", the address, ">" ("bob@x.org" -> "bob <bob@x.org>"). Mode 1 takes the text
// between "<" and ">" ("bob <bob@x.org>" -> "bob@x.org"); a text without them stays as it is.
QString FormatMailAddress(const QString& text, int mode);

inline constexpr int kMaxMailAddresses = 5;

class CMailAccountEditDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int { IDC_ADDRESS = 1040, IDC_PROMPT = 1274 };
  static constexpr int kAddPrompt = 8329;
  static constexpr int kEditPrompt = 8330;

  explicit CMailAccountEditDlg(QWidget* parent = nullptr);

  QString m_strPrompt;
  QString m_strAddress;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
};

class MailPropertyPage : public CSysConfPage {
 public:
  enum : int {
    IDC_USER = 1042,
    IDC_PASSWORD = 1043,
    IDC_SERVER = 1044,
    IDC_FROM = 1045,
    IDC_DELETE = 1117,
    IDC_ADD = 1118,
    IDC_EDIT = 1119,
    IDC_ADDRESS_LIST = 1267,
    IDC_VERIFY_YES = 1268,
    IDC_VERIFY_NO = 1269,
  };

  MailPropertyPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Also every address to store fits its 64-byte slot.
  bool CheckForApply() override;
  void OnAdd();
  void OnEdit();
  void OnDelete();

  // The addresses to store, in list order: a row loaded from the record gives its bare
  // address, a typed row its text as typed.
  QStringList AddressesToStore() const;

  QString m_strFrom;
  QString m_strServer;
  QString m_strPassword;
  QString m_strUser;
  std::uint8_t m_byVerify = 0;  // 0 off, 2 on
  int m_nCount = 0;
  bool m_bChanged = false;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  ui::ListCtrl* List() const;
  void ShowVerify(std::uint8_t verify);
  // Opens the edit dialog with the prompt and the text; the typed text, or nothing.
  std::optional<QString> EditAddress(int prompt, const QString& text);
};
