// The FTP page: the FTP site to which the server sends alarm pictures (server, account, port,
// directory), loaded from the FTP record. A list of sites is kept on the page through its entry
// fields; the sheet writes the entry fields into the record, which holds one site.
#pragma once

#include <cstdint>

#include "ui/config/pages/sys_conf_page.h"

namespace ui {
class ListCtrl;
}

class FTPPropertyPage : public CSysConfPage {
 public:
  enum : int {
    IDC_USER = 1040,
    IDC_PORT = 1042,
    IDC_PASSWORD = 1043,
    IDC_SITE_LIST = 1275,
    IDC_ADD = 1276,
    IDC_DELETE = 1277,
    IDC_EDIT = 1278,
    IDC_USER_LABEL = 1279,
    IDC_PASSWORD_LABEL = 1280,
    IDC_SERVER_LABEL = 1281,
    IDC_PORT_LABEL = 1282,
    IDC_SERVER = 1283,
    IDC_ENTRY_OK = 1284,
    IDC_DIRECTORY = 1285,
  };
  enum EntryMode : int { kAddMode = 0, kEditMode = 1 };

  FTPPropertyPage();

  bool OnInitDialog() override;
  // An empty port keeps the page (message 4090); otherwise the data exchange decides.
  bool OnKillActive() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnEntryOk();
  // A typed port of 0 or above 65535 shows message 4054 and becomes 21.
  void OnPortEdited();

  QString m_strServer;
  QString m_strPassword;
  std::uint32_t m_dwPort = 0;
  QString m_strUser;
  QString m_strDirectory;
  int m_nRows = 0;
  int m_nMode = kAddMode;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  ui::ListCtrl* List();
  void ShowEntry(bool show);
};
