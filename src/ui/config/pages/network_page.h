// The Network page: the server's address type (static IP, PPPoE, DHCP), its IP settings, web
// and stream ports and PPPoE account, and its MAC address. It loads from the IP, PPPOE and INF
// records each time its window is made; the sheet writes the IP and PPPOE records back.
#pragma once

#include <cstdint>

#include "ui/config/pages/sys_conf_page.h"

class NetworkConfigPage : public CSysConfPage {
 public:
  enum : int {
    IDC_WEB_PORT = 1040,
    IDC_STREAM_PORT = 1041,
    IDC_PPPOE_USER = 1043,
    IDC_PPPOE_PASSWORD = 1044,
    IDC_SERVER_IP = 1248,
    IDC_GATEWAY = 1249,
    IDC_NET_MASK = 1250,
    IDC_STATIC_IP = 1252,
    IDC_PPPOE = 1253,
    IDC_DHCP = 1254,
    IDC_PPPOE_GROUP = 1394,
    IDC_PPPOE_USER_LABEL = 1395,
    IDC_PPPOE_PASSWORD_LABEL = 1396,
    IDC_SERVER_IP_LABEL = 1397,
    IDC_GATEWAY_LABEL = 1398,
    IDC_NET_MASK_LABEL = 1399,
    IDC_MAC = 1428,
  };

  NetworkConfigPage();

  bool OnInitDialog() override;
  // An empty web port keeps the page (message 4090); otherwise the data exchange decides.
  bool OnKillActive() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  // The page's values, read by the sheet's network step.
  std::uint32_t m_dwNetMask = 0;
  std::uint32_t m_dwServerIp = 0;
  std::uint32_t m_dwGateway = 0;
  int m_nWebPort = 0;
  QString m_strPppoePassword;
  QString m_strPppoeUser;
  std::uint32_t m_dwStreamPort = 0;
  QString m_strMac;
  std::uint8_t m_byIpType = 0;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  // Checks the radio of the type and enables the address or the PPPoE controls.
  void ShowIpType(std::uint8_t type);
  void OnIpType(std::uint8_t type);
};

// The MAC text of the INF record's six bytes: "00 : 0e : 53 : 12 : ab : cd".
QString FormatMacText(const std::uint8_t* mac);
