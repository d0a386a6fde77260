#include "ui/config/pages/dns_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/sys_conf_mirror.h"

namespace {

constexpr int kAccountBytes = 15;
constexpr int kDomainBytes = 63;

}  // namespace

CDNSPage::CDNSPage() : CSysConfPage(QStringLiteral("Network::DDNS"), syscfg::kDnsPageCode) {}

void CDNSPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* dnsGroup = NewGroup(c, 0, QStringLiteral("DNS Server"), window);
  auto* dns = new QGridLayout(dnsGroup);
  dns->addWidget(NewLabel(c, 0, QStringLiteral("DNS:"), dnsGroup), 0, 0);
  dns->addWidget(NewAddress(c, IDC_DNS_SERVER, dnsGroup), 0, 1);
  dns->setColumnStretch(2, 1);
  page->addWidget(dnsGroup);

  auto* ddnsGroup = NewGroup(c, 0, QStringLiteral("Dynamic DNS"), window);
  auto* ddns = new QGridLayout(ddnsGroup);
  auto* state = new QHBoxLayout;
  QRadioButton* enable = NewRadio(c, IDC_ENABLE, QStringLiteral("Enable"), ddnsGroup);
  QRadioButton* disable = NewRadio(c, IDC_DISABLE, QStringLiteral("Disable"), ddnsGroup);
  state->addWidget(enable);
  state->addWidget(disable);
  state->addStretch(1);
  ddns->addLayout(state, 0, 0, 1, 2);
  QComboBox* provider = NewCombo(c, IDC_PROVIDER, ddnsGroup);
  for (int i = 0; i < 3; ++i)
    provider->addItem(ProviderText(i));
  ddns->addWidget(NewLabel(c, 0, QStringLiteral("System Name:"), ddnsGroup), 1, 0);
  ddns->addWidget(provider, 1, 1);
  ddns->addWidget(NewLabel(c, 0, QStringLiteral("User Name:"), ddnsGroup), 2, 0);
  ddns->addWidget(NewEdit(c, IDC_DDNS_USER, ddnsGroup, kAccountBytes), 2, 1);
  ddns->addWidget(NewLabel(c, 0, QStringLiteral("Password:"), ddnsGroup), 3, 0);
  ddns->addWidget(NewEdit(c, IDC_DDNS_PASSWORD, ddnsGroup, kAccountBytes, true), 3, 1);
  ddns->addWidget(NewLabel(c, 0, QStringLiteral("Domain:"), ddnsGroup), 4, 0);
  ddns->addWidget(NewEdit(c, IDC_DDNS_DOMAIN, ddnsGroup, kDomainBytes), 4, 1);
  ddns->setColumnStretch(1, 1);
  page->addWidget(ddnsGroup);
  page->addStretch(1);

  QObject::connect(enable, &QRadioButton::clicked, window, [this] {
    m_byEnabled = 1;
    ShowEnabled(true);
  });
  QObject::connect(disable, &QRadioButton::clicked, window, [this] {
    m_byEnabled = 0;
    ShowEnabled(false);
  });
}

bool CDNSPage::OnInitDialog() {
  using namespace cfg;
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigDns);
      !record.empty()) {
    m_dwDnsServer = net::RecordAddress(record, dns::kServer);
    m_byEnabled = net::RecordU8(record, dns::kEnabled);
    m_strUser = syscfg::ShownText(record, dns::kUser);
    m_strPassword = syscfg::ShownText(record, dns::kPassword);
    m_strDomain = syscfg::ShownText(record, dns::kDomain);
    // A provider no row stands for shows no row, and is written only once a row is picked.
    m_nProvider = syscfg::ProviderIndex(syscfg::ShownText(record, dns::kProvider));
  }
  ShowEnabled(m_byEnabled != 0);
  return CSysConfPage::OnInitDialog();
}

void CDNSPage::ShowEnabled(bool enabled) {
  ui::ControlRegistry& c = Controls();
  syscfg::CheckRadio(c, IDC_ENABLE, enabled);
  syscfg::CheckRadio(c, IDC_DISABLE, !enabled);
  syscfg::EnableControls(c, {IDC_DDNS_USER, IDC_DDNS_PASSWORD, IDC_DDNS_DOMAIN, IDC_PROVIDER},
                         enabled);
}

void CDNSPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_PROVIDER, m_nProvider);
  syscfg::ExchangeText(dx, IDC_DDNS_USER, m_strUser, kAccountBytes);
  syscfg::ExchangeText(dx, IDC_DDNS_PASSWORD, m_strPassword, kAccountBytes);
  syscfg::ExchangeText(dx, IDC_DDNS_DOMAIN, m_strDomain, kDomainBytes);
  syscfg::ExchangeAddress(dx, Controls(), IDC_DNS_SERVER, m_dwDnsServer);
}
