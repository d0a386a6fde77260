#include "ui/config/pages/network_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/record_fields.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/records/config_text.h"

namespace {

constexpr int kPppoeTextBytes = 31;

}  // namespace

QString FormatMacText(const std::uint8_t* mac) {
  QStringList parts;
  for (int i = 0; i < 6; ++i)
    parts << QStringLiteral("%1").arg(mac[i], 2, 16, QLatin1Char('0'));
  return parts.join(QStringLiteral(" : "));
}

NetworkConfigPage::NetworkConfigPage()
    : CSysConfPage(QStringLiteral("Network"), syscfg::kNetworkPageCode) {}

void NetworkConfigPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* typeGroup = NewGroup(c, 0, QStringLiteral("IP Type"), window);
  auto* types = new QHBoxLayout(typeGroup);
  const struct {
    int id;
    const char* text;
    std::uint8_t type;
  } radios[] = {{IDC_STATIC_IP, "Static IP", cfg::ip::kStaticIp},
                {IDC_PPPOE, "PPPOE", cfg::ip::kPppoe},
                {IDC_DHCP, "DHCP", cfg::ip::kDhcp}};
  for (const auto& r : radios) {
    QRadioButton* radio = NewRadio(c, r.id, QString::fromLatin1(r.text), typeGroup);
    types->addWidget(radio);
    const std::uint8_t type = r.type;
    QObject::connect(radio, &QRadioButton::clicked, window, [this, type] { OnIpType(type); });
  }
  types->addStretch(1);
  page->addWidget(typeGroup);

  auto* ipGroup = NewGroup(c, 0, QStringLiteral("IP Setting"), window);
  auto* ip = new QGridLayout(ipGroup);
  ip->addWidget(NewLabel(c, IDC_SERVER_IP_LABEL, QStringLiteral("Server IP :"), ipGroup), 0, 0);
  ip->addWidget(NewAddress(c, IDC_SERVER_IP, ipGroup), 0, 1);
  ip->addWidget(NewLabel(c, IDC_NET_MASK_LABEL, QStringLiteral("Net Mask :"), ipGroup), 1, 0);
  ip->addWidget(NewAddress(c, IDC_NET_MASK, ipGroup), 1, 1);
  ip->addWidget(NewLabel(c, IDC_GATEWAY_LABEL, QStringLiteral("Gateway :"), ipGroup), 2, 0);
  ip->addWidget(NewAddress(c, IDC_GATEWAY, ipGroup), 2, 1);
  ip->setColumnStretch(2, 1);
  page->addWidget(ipGroup);

  auto* pppoe = NewGroup(c, IDC_PPPOE_GROUP, QStringLiteral("PPPOE"), window);
  auto* account = new QGridLayout(pppoe);
  account->addWidget(NewLabel(c, IDC_PPPOE_USER_LABEL, QStringLiteral("User Name :"), pppoe), 0, 0);
  account->addWidget(NewEdit(c, IDC_PPPOE_USER, pppoe, kPppoeTextBytes), 0, 1);
  account->addWidget(NewLabel(c, IDC_PPPOE_PASSWORD_LABEL, QStringLiteral("Password :"), pppoe), 1,
                     0);
  account->addWidget(NewEdit(c, IDC_PPPOE_PASSWORD, pppoe, kPppoeTextBytes, true), 1, 1);
  page->addWidget(pppoe);

  auto* portGroup = NewGroup(c, 0, QStringLiteral("Port"), window);
  auto* ports = new QGridLayout(portGroup);
  ports->addWidget(NewLabel(c, 0, QStringLiteral("Web Port :"), portGroup), 0, 0);
  ports->addWidget(NewPortEdit(c, IDC_WEB_PORT, portGroup), 0, 1);
  ports->addWidget(NewLabel(c, 0, QStringLiteral("Stream Port :"), portGroup), 0, 2);
  ports->addWidget(NewPortEdit(c, IDC_STREAM_PORT, portGroup), 0, 3);
  ports->addWidget(NewLabel(c, 0, QStringLiteral("MAC Address :"), portGroup), 1, 0);
  ports->addWidget(NewLabel(c, IDC_MAC, QString(), portGroup), 1, 1, 1, 3);
  ports->setColumnStretch(4, 1);
  page->addWidget(portGroup);
  page->addStretch(1);
}

bool NetworkConfigPage::OnInitDialog() {
  using namespace cfg;
  if (g_lpApp) {
    const CAppData& app = *g_lpApp;
    m_byIpType = net::RecordU8(app.m_IpConfig, ip::kType);
    m_dwServerIp = net::RecordAddress(app.m_IpConfig, ip::kServerAddress);
    m_dwGateway = net::RecordAddress(app.m_IpConfig, ip::kGateway);
    m_dwNetMask = net::RecordAddress(app.m_IpConfig, ip::kNetMask);
    m_nWebPort = net::RecordU16(app.m_IpConfig, ip::kWebPort);
    m_dwStreamPort = net::RecordU16(app.m_IpConfig, ip::kStreamPort);
    m_strPppoeUser = syscfg::ShownText(app.m_PppoeConfig, pppoe::kUser);
    m_strPppoePassword = syscfg::ShownText(app.m_PppoeConfig, pppoe::kPassword);
    m_strMac = FormatMacText(app.m_InfConfig.data() + inf::kMac);
  }
  ShowIpType(m_byIpType);
  return CSysConfPage::OnInitDialog();
}

void NetworkConfigPage::ShowIpType(std::uint8_t type) {
  using syscfg::CheckRadio;
  using syscfg::EnableControls;
  ui::ControlRegistry& c = Controls();
  const bool isStatic = type == cfg::ip::kStaticIp;
  const bool isDhcp = type == cfg::ip::kDhcp;
  CheckRadio(c, IDC_STATIC_IP, isStatic);
  CheckRadio(c, IDC_DHCP, isDhcp);
  CheckRadio(c, IDC_PPPOE, !isStatic && !isDhcp);
  EnableControls(c,
                 {IDC_SERVER_IP_LABEL, IDC_GATEWAY_LABEL, IDC_NET_MASK_LABEL, IDC_SERVER_IP,
                  IDC_GATEWAY, IDC_NET_MASK},
                 isStatic);
  EnableControls(c,
                 {IDC_PPPOE_GROUP, IDC_PPPOE_USER_LABEL, IDC_PPPOE_PASSWORD_LABEL, IDC_PPPOE_USER,
                  IDC_PPPOE_PASSWORD},
                 !isStatic && !isDhcp);
}

void NetworkConfigPage::OnIpType(std::uint8_t type) {
  m_byIpType = type;
  ShowIpType(type);
}

bool NetworkConfigPage::OnKillActive() {
  auto* webPort = Controls().Get<QLineEdit>(IDC_WEB_PORT);
  if (webPort != nullptr && webPort->text().trimmed().isEmpty()) {
    ui::MessageBoxById(ui::kMsgTypePort);
    webPort->setFocus();
    return false;
  }
  return CSysConfPage::OnKillActive();
}

void NetworkConfigPage::DoDataExchange(ui::DataExchange& dx) {
  ui::ControlRegistry& c = Controls();
  syscfg::ExchangeAddress(dx, c, IDC_NET_MASK, m_dwNetMask);
  syscfg::ExchangeAddress(dx, c, IDC_SERVER_IP, m_dwServerIp);
  syscfg::ExchangeAddress(dx, c, IDC_GATEWAY, m_dwGateway);
  dx.Number(IDC_WEB_PORT, m_nWebPort, 1, 65535);
  syscfg::ExchangeText(dx, IDC_PPPOE_PASSWORD, m_strPppoePassword, kPppoeTextBytes);
  syscfg::ExchangeText(dx, IDC_PPPOE_USER, m_strPppoeUser, kPppoeTextBytes);
  dx.Number(IDC_STREAM_PORT, m_dwStreamPort, 256u, 65535u);
  if (!dx.Saving()) {
    if (auto* mac = c.Get<QLabel>(IDC_MAC))
      mac->setText(m_strMac);
  }
}
