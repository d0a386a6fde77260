// The DDNS page: the server's DNS address and its dynamic DNS account (provider, user,
// password, domain), loaded from the DNS record; the sheet writes the record back.
#pragma once

#include <cstdint>

#include "ui/config/pages/sys_conf_page.h"

class CDNSPage : public CSysConfPage {
 public:
  enum : int {
    IDC_DDNS_USER = 1040,
    IDC_DDNS_PASSWORD = 1041,
    IDC_DDNS_DOMAIN = 1042,
    IDC_PROVIDER = 1195,
    IDC_DNS_SERVER = 1251,
    IDC_ENABLE = 1380,
    IDC_DISABLE = 1381,
  };

  CDNSPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  // Row of "custom", "dyndns", "statdns"; -1 when the record names another provider.
  int m_nProvider = -1;
  QString m_strUser;
  QString m_strPassword;
  QString m_strDomain;
  std::uint32_t m_dwDnsServer = 0;
  std::uint8_t m_byEnabled = 0;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowEnabled(bool enabled);
};
