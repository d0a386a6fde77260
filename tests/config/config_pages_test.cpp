// Each page of the configuration sheet against the fake server, through the load dialog: what
// the records show on the controls, and what an edit sends back.
#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config_fixture.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/tree_sheet_frame.h"

namespace {

using config_testing::ConfigTest;
using config_testing::Field;
using config_testing::Patch;
using config_testing::Patched;
using Page = ui::CPropertyPage CSysConfPropSheet::*;

template <typename T>
T* Ctl(ui::CPropertyPage& page, int id) {
  return page.Controls().Get<T>(id);
}
QString TextOf(ui::CPropertyPage& page, int id) {
  if (auto* edit = Ctl<QLineEdit>(page, id))
    return edit->text();
  if (auto* label = Ctl<QLabel>(page, id))
    return label->text();
  return "<none>";
}
bool Checked(ui::CPropertyPage& page, int id) {
  return Ctl<QAbstractButton>(page, id)->isChecked();
}
bool Enabled(ui::CPropertyPage& page, int id) {
  return page.GetDlgItem(id)->isEnabled();
}
bool Shown(ui::CPropertyPage& page, int id) {
  return !page.GetDlgItem(id)->isHidden();
}
QString AddressOf(ui::CPropertyPage& page, int id) {
  std::uint32_t address = 0;
  Ctl<ui::IpAddressCtrl>(page, id)->GetAddress(address);
  return ui::IpAddressText(address);
}
int Row(ui::CPropertyPage& page, int id) {
  return Ctl<QComboBox>(page, id)->currentIndex();
}
QString RowText(ui::CPropertyPage& page, int id) {
  return Ctl<QComboBox>(page, id)->currentText();
}
void Type(ui::CPropertyPage& page, int id, const QString& text) {
  Ctl<QLineEdit>(page, id)->setText(text);
}
void Pick(ui::CPropertyPage& page, int id, int row) {
  Ctl<QComboBox>(page, id)->setCurrentIndex(row);
}
void Click(ui::CPropertyPage& page, int id) {
  Ctl<QAbstractButton>(page, id)->click();
}

ui::CPropertyPage& PageOf(CSysConfPropSheet& s, int code) {
  return *s.PageOfCode(code);
}

using Records = fakes::ConfigRecords;
using Change = std::function<void(Records&)>;

// Record bytes -> controls.

struct ShowCase {
  const char* name;
  int pageCode;
  Change change;
  std::function<void(ui::CPropertyPage&)> check;
  std::function<void(CAppData&)> session = {};
};

class PageShowTest : public ConfigTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(PageShowTest, RecordBytesBecomeControlStates) {
  const ShowCase& c = GetParam();
  Records records = fakes::SampleConfig();
  if (c.change)
    c.change(records);
  if (c.session)
    c.session(*g_lpApp);
  ASSERT_EQ(Load(records), 1);
  RunSheet([&](CSysConfPropSheet& s) {
    ASSERT_TRUE(s.SetActivePage(s.PageOfCode(c.pageCode)));
    c.check(PageOf(s, c.pageCode));
  });
}

void Put(std::vector<std::uint8_t>& r, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), r.begin() + static_cast<long>(at));
}

const ShowCase kShowCases[] = {
    {"network sample",
     syscfg::kNetworkPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using N = NetworkConfigPage;
       EXPECT_TRUE(Checked(p, N::IDC_STATIC_IP));
       EXPECT_FALSE(Checked(p, N::IDC_PPPOE));
       EXPECT_FALSE(Checked(p, N::IDC_DHCP));
       EXPECT_TRUE(Enabled(p, N::IDC_SERVER_IP));
       EXPECT_TRUE(Enabled(p, N::IDC_NET_MASK_LABEL));
       EXPECT_FALSE(Enabled(p, N::IDC_PPPOE_USER));
       EXPECT_FALSE(Enabled(p, N::IDC_PPPOE_GROUP));
       EXPECT_EQ(AddressOf(p, N::IDC_SERVER_IP), "192.168.1.50");
       EXPECT_EQ(AddressOf(p, N::IDC_NET_MASK), "255.255.255.0");
       EXPECT_EQ(AddressOf(p, N::IDC_GATEWAY), "192.168.1.1");
       EXPECT_EQ(TextOf(p, N::IDC_WEB_PORT), "80");
       EXPECT_EQ(TextOf(p, N::IDC_STREAM_PORT), "5000");
       EXPECT_EQ(TextOf(p, N::IDC_PPPOE_USER), "pppoe-user");
       EXPECT_EQ(TextOf(p, N::IDC_PPPOE_PASSWORD), "pppoe-pass");
       EXPECT_EQ(Ctl<QLineEdit>(p, N::IDC_PPPOE_PASSWORD)->echoMode(), QLineEdit::Password);
       EXPECT_EQ(TextOf(p, N::IDC_MAC), "00 : 0e : 53 : 12 : ab : cd");
     }},
    {"network dhcp", syscfg::kNetworkPageCode, [](Records& r) { r["IP"][20] = 2; },
     [](ui::CPropertyPage& p) {
       using N = NetworkConfigPage;
       EXPECT_TRUE(Checked(p, N::IDC_DHCP));
       EXPECT_FALSE(Checked(p, N::IDC_STATIC_IP));
       EXPECT_FALSE(Checked(p, N::IDC_PPPOE));
       EXPECT_FALSE(Enabled(p, N::IDC_SERVER_IP));
       EXPECT_FALSE(Enabled(p, N::IDC_SERVER_IP_LABEL));
       EXPECT_FALSE(Enabled(p, N::IDC_PPPOE_PASSWORD));
     }},
    {"network pppoe", syscfg::kNetworkPageCode, [](Records& r) { r["IP"][20] = 1; },
     [](ui::CPropertyPage& p) {
       using N = NetworkConfigPage;
       EXPECT_TRUE(Checked(p, N::IDC_PPPOE));
       EXPECT_FALSE(Enabled(p, N::IDC_GATEWAY));
       EXPECT_TRUE(Enabled(p, N::IDC_PPPOE_USER));
       EXPECT_TRUE(Enabled(p, N::IDC_PPPOE_USER_LABEL));
     }},
    {"network type off the rows", syscfg::kNetworkPageCode, [](Records& r) { r["IP"][20] = 5; },
     [](ui::CPropertyPage& p) {
       EXPECT_TRUE(Checked(p, NetworkConfigPage::IDC_PPPOE));
       EXPECT_FALSE(Checked(p, NetworkConfigPage::IDC_STATIC_IP));
     }},
    {"pppoe user without terminator", syscfg::kNetworkPageCode,
     [](Records& r) { std::fill_n(r["PPPOE"].begin() + 36, 32, 'u'); },
     [](ui::CPropertyPage& p) {
       EXPECT_EQ(TextOf(p, NetworkConfigPage::IDC_PPPOE_USER), QString(31, 'u'));
     }},
    {"dns sample",
     syscfg::kDnsPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using D = CDNSPage;
       EXPECT_TRUE(Checked(p, D::IDC_ENABLE));
       EXPECT_FALSE(Checked(p, D::IDC_DISABLE));
       EXPECT_TRUE(Enabled(p, D::IDC_PROVIDER));
       EXPECT_EQ(RowText(p, D::IDC_PROVIDER), "dyndns");
       EXPECT_EQ(AddressOf(p, D::IDC_DNS_SERVER), "168.95.1.1");
       EXPECT_EQ(TextOf(p, D::IDC_DDNS_USER), "ddns-user");
       EXPECT_EQ(TextOf(p, D::IDC_DDNS_PASSWORD), "ddns-secret");
       EXPECT_EQ(Ctl<QLineEdit>(p, D::IDC_DDNS_PASSWORD)->echoMode(), QLineEdit::Password);
       EXPECT_EQ(TextOf(p, D::IDC_DDNS_DOMAIN), "camera.dyndns.org");
     }},
    {"dns disabled", syscfg::kDnsPageCode, [](Records& r) { r["DNS"][7] = 0; },
     [](ui::CPropertyPage& p) {
       using D = CDNSPage;
       EXPECT_TRUE(Checked(p, D::IDC_DISABLE));
       EXPECT_FALSE(Checked(p, D::IDC_ENABLE));
       for (int id : {D::IDC_DDNS_USER, D::IDC_DDNS_PASSWORD, D::IDC_DDNS_DOMAIN, D::IDC_PROVIDER})
         EXPECT_FALSE(Enabled(p, id)) << id;
       EXPECT_TRUE(Enabled(p, D::IDC_DNS_SERVER));
     }},
    {"dns statdns", syscfg::kDnsPageCode,
     [](Records& r) { std::copy_n("statdns", 8, r["DNS"].begin() + 108); },
     [](ui::CPropertyPage& p) { EXPECT_EQ(Row(p, CDNSPage::IDC_PROVIDER), 2); }},
    {"dns provider off the rows", syscfg::kDnsPageCode,
     [](Records& r) { std::copy_n("noip", 5, r["DNS"].begin() + 108); },
     [](ui::CPropertyPage& p) { EXPECT_EQ(Row(p, CDNSPage::IDC_PROVIDER), -1); }},
    {"sntp sample",
     syscfg::kSntpPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using S = CSNTPPage;
       EXPECT_TRUE(Checked(p, S::IDC_MANUAL));
       EXPECT_FALSE(Checked(p, S::IDC_AUTOMATIC));
       EXPECT_TRUE(Enabled(p, S::IDC_TIME_SERVER));
       EXPECT_EQ(TextOf(p, S::IDC_TIME_SERVER), "pool.ntp.org");
       EXPECT_EQ(Ctl<QComboBox>(p, S::IDC_TIME_ZONE)->count(), 75);
       EXPECT_EQ(RowText(p, S::IDC_TIME_ZONE), "(GMT+08:00) Taipei");
     }},
    {"sntp automatic", syscfg::kSntpPageCode, [](Records& r) { r["SNTP"][4] = 0; },
     [](ui::CPropertyPage& p) {
       EXPECT_TRUE(Checked(p, CSNTPPage::IDC_AUTOMATIC));
       EXPECT_FALSE(Checked(p, CSNTPPage::IDC_MANUAL));
       EXPECT_FALSE(Enabled(p, CSNTPPage::IDC_TIME_SERVER));
       EXPECT_EQ(TextOf(p, CSNTPPage::IDC_TIME_SERVER), "");
     }},
    {"sntp zone off the rows", syscfg::kSntpPageCode, [](Records& r) { r["SNTP"][39] = 99; },
     [](ui::CPropertyPage& p) { EXPECT_EQ(Row(p, CSNTPPage::IDC_TIME_ZONE), -1); }},
    {"mail sample",
     syscfg::kMailPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using M = MailPropertyPage;
       auto* list = Ctl<ui::ListCtrl>(p, M::IDC_ADDRESS_LIST);
       ASSERT_EQ(list->GetItemCount(), 2);
       EXPECT_EQ(list->GetItemText(0, 0), "alice <alice@example.net>");
       EXPECT_EQ(list->GetItemText(1, 0), "bob <bob@example.org>");
       EXPECT_EQ(list->headerItem()->text(0), "Mail Account");
       EXPECT_TRUE(Checked(p, M::IDC_VERIFY_YES));
       EXPECT_FALSE(Checked(p, M::IDC_VERIFY_NO));
       EXPECT_TRUE(Enabled(p, M::IDC_USER));
       EXPECT_TRUE(Enabled(p, M::IDC_PASSWORD));
       EXPECT_EQ(TextOf(p, M::IDC_SERVER), "smtp.example.net");
       EXPECT_EQ(TextOf(p, M::IDC_FROM), "camera@example.net");
       EXPECT_EQ(TextOf(p, M::IDC_USER), "mailer");
       EXPECT_EQ(TextOf(p, M::IDC_PASSWORD), "mail-secret");
       EXPECT_EQ(Ctl<QLineEdit>(p, M::IDC_PASSWORD)->echoMode(), QLineEdit::Password);
     }},
    {"mail verify off", syscfg::kMailPageCode, [](Records& r) { r["SMTP"][2] = 0; },
     [](ui::CPropertyPage& p) {
       using M = MailPropertyPage;
       EXPECT_TRUE(Checked(p, M::IDC_VERIFY_NO));
       EXPECT_FALSE(Checked(p, M::IDC_VERIFY_YES));
       EXPECT_FALSE(Enabled(p, M::IDC_USER));
       EXPECT_FALSE(Enabled(p, M::IDC_PASSWORD));
     }},
    {"mail verify off the rows", syscfg::kMailPageCode, [](Records& r) { r["SMTP"][2] = 1; },
     [](ui::CPropertyPage& p) {
       EXPECT_FALSE(Checked(p, MailPropertyPage::IDC_VERIFY_NO));
       EXPECT_FALSE(Checked(p, MailPropertyPage::IDC_VERIFY_YES));
     }},
    {"mail address without terminator", syscfg::kMailPageCode,
     [](Records& r) { std::fill_n(r["SMTP"].begin() + 132 + 64 * 2, 64, 'a'); },
     [](ui::CPropertyPage& p) {
       auto* list = Ctl<ui::ListCtrl>(p, MailPropertyPage::IDC_ADDRESS_LIST);
       ASSERT_EQ(list->GetItemCount(), 3);
       EXPECT_EQ(list->GetItemText(2, 0), FormatMailAddress(QString(63, 'a'), 0));
     }},
    {"ftp sample",
     syscfg::kFtpPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using F = FTPPropertyPage;
       EXPECT_EQ(TextOf(p, F::IDC_SERVER), "ftp.example.net");
       EXPECT_EQ(TextOf(p, F::IDC_USER), "ftpuser");
       EXPECT_EQ(TextOf(p, F::IDC_PASSWORD), "ftp-secret");
       EXPECT_EQ(Ctl<QLineEdit>(p, F::IDC_PASSWORD)->echoMode(), QLineEdit::Password);
       EXPECT_EQ(TextOf(p, F::IDC_DIRECTORY), "/alarm");
       EXPECT_EQ(TextOf(p, F::IDC_PORT), "21");
       EXPECT_EQ(Ctl<ui::ListCtrl>(p, F::IDC_SITE_LIST)->GetItemCount(), 0);
       for (int id : {F::IDC_SERVER, F::IDC_PORT, F::IDC_ENTRY_OK, F::IDC_USER_LABEL})
         EXPECT_FALSE(Shown(p, id)) << id;
       EXPECT_TRUE(Shown(p, F::IDC_DIRECTORY));
       EXPECT_TRUE(Enabled(p, F::IDC_ADD));
     }},
    {"ftp server too long for the page", syscfg::kFtpPageCode,
     [](Records& r) { std::fill_n(r["FTP"].begin() + 4, 32, 's'); },
     [](ui::CPropertyPage& p) { EXPECT_EQ(TextOf(p, FTPPropertyPage::IDC_SERVER), ""); }},
    {"video sample",
     syscfg::kVideoPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using V = C2ChSetPentaPage;
       EXPECT_EQ(RowText(p, V::IDC_VIDEO_TYPE), "MPEG4");
       EXPECT_EQ(RowText(p, V::IDC_MPEG4_RESOLUTION), "352 x 240");
       EXPECT_EQ(RowText(p, V::IDC_BIT_RATE), "1M");
       EXPECT_EQ(RowText(p, V::IDC_QUALITY), "Middle");
       EXPECT_TRUE(Shown(p, V::IDC_BIT_RATE));
       EXPECT_TRUE(Shown(p, V::IDC_BIT_RATE_LABEL));
       EXPECT_TRUE(Shown(p, V::IDC_MPEG4_RESOLUTION));
       EXPECT_FALSE(Shown(p, V::IDC_QUALITY));
       EXPECT_FALSE(Shown(p, V::IDC_QUALITY_LABEL));
       EXPECT_FALSE(Shown(p, V::IDC_JPEG_RESOLUTION));
     }},
    {"jpeg session",
     syscfg::kVideoPageCode,
     {},
     [](ui::CPropertyPage& p) {
       using V = C2ChSetPentaPage;
       EXPECT_EQ(RowText(p, V::IDC_VIDEO_TYPE), "JPEG");
       EXPECT_FALSE(Shown(p, V::IDC_BIT_RATE));
       EXPECT_FALSE(Shown(p, V::IDC_BIT_RATE_LABEL));
       EXPECT_TRUE(Shown(p, V::IDC_QUALITY));
       EXPECT_TRUE(Shown(p, V::IDC_JPEG_RESOLUTION));
       EXPECT_FALSE(Shown(p, V::IDC_MPEG4_RESOLUTION));
     },
     [](CAppData& app) { app.m_byVideoFormat = 0; }},
    {"bit rate 21", syscfg::kVideoPageCode,
     [](Records& r) {
       Put(r["PENTA"], 6, {21, 0});
       r["PENTA"][89] = 70;
     },
     [](ui::CPropertyPage& p) {
       EXPECT_EQ(RowText(p, C2ChSetPentaPage::IDC_BIT_RATE), "640K");
       EXPECT_EQ(RowText(p, C2ChSetPentaPage::IDC_QUALITY), "High");
     },
     [](CAppData& app) { app.m_byVideoFormat = 0; }},
    {"bit rate 20", syscfg::kVideoPageCode,
     [](Records& r) {
       Put(r["PENTA"], 6, {20, 0});
     },
     [](ui::CPropertyPage& p) { EXPECT_EQ(RowText(p, C2ChSetPentaPage::IDC_BIT_RATE), "512K"); }},
    {"bit rate 153", syscfg::kVideoPageCode,
     [](Records& r) {
       Put(r["PENTA"], 6, {153, 0});
     },
     [](ui::CPropertyPage& p) { EXPECT_EQ(RowText(p, C2ChSetPentaPage::IDC_BIT_RATE), "Local"); }},
    {"pal", syscfg::kVideoPageCode,
     [](Records& r) {
       Put(r["PENTA"], 11, {44, 36});
     },
     [](ui::CPropertyPage& p) {
       auto* combo = Ctl<QComboBox>(p, C2ChSetPentaPage::IDC_MPEG4_RESOLUTION);
       EXPECT_EQ(combo->itemText(0), "352 x 288");
       EXPECT_EQ(combo->itemText(1), "704 x 576");
       EXPECT_EQ(combo->currentIndex(), 1);
     },
     [](CAppData& app) { app.m_byVideoStandard = 2; }},
    {"video off the rows", syscfg::kVideoPageCode, [](Records& r) { r = fakes::OffRowConfig(); },
     [](ui::CPropertyPage& p) {
       EXPECT_EQ(Row(p, C2ChSetPentaPage::IDC_MPEG4_RESOLUTION), -1);
       EXPECT_EQ(Row(p, C2ChSetPentaPage::IDC_JPEG_RESOLUTION), -1);
       EXPECT_EQ(Row(p, C2ChSetPentaPage::IDC_QUALITY), -1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Pages, PageShowTest, ::testing::ValuesIn(kShowCases),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch)))
                               ch = '_';
                           }
                           return name;
                         });

// Edit -> the record received.

struct EditCase {
  const char* name;
  int pageCode;
  std::function<void(ui::CPropertyPage&, ConfigTest&)> edit;
  const char* option;
  std::vector<Patch> patches;
};

class PageEditTest : public ConfigTest, public ::testing::WithParamInterface<EditCase> {
 public:
  // The edit runs inside the sheet; then APPLY.
  void Run(const EditCase& c) {
    ASSERT_EQ(Load(), 1);
    const int result = RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(s.PageOfCode(c.pageCode)));
      c.edit(PageOf(s, c.pageCode), *this);
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  }
};

TEST_P(PageEditTest, AnEditSendsItsRecordWithExactlyTheEditedBytes) {
  const EditCase& c = GetParam();
  Run(c);
  EXPECT_EQ(SentOptions(), std::vector<std::string>{c.option});
  EXPECT_TRUE(Messages().empty()) << Messages().front();
  std::vector<Patch> patches;
  // The sheet ends the SMTP record's four texts at the last byte of their fields.
  if (c.option == std::string("SMTP")) {
    for (const std::size_t end :
         {std::size_t{67}, std::size_t{131}, std::size_t{483}, std::size_t{515}})
      patches.push_back(Patch{end, {0}});
  }
  patches.insert(patches.end(), c.patches.begin(), c.patches.end());
  if (c.option == std::string("PENTA")) {
    for (const Patch& mark : {Patch{5, {2}}, Patch{8, {15}}, Patch{81, {0}}, Patch{84, {1}}})
      patches.push_back(mark);
  }
  const auto sent = Sent(c.option);
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(*sent, Patched(fakes::SampleConfig().at(c.option), patches));
}

using P = ui::CPropertyPage;
using T = ConfigTest;

std::vector<std::uint8_t> MailBlock(std::initializer_list<const char*> addresses) {
  std::vector<std::uint8_t> block(320, 0);
  std::size_t slot = 0;
  for (const char* address : addresses) {
    const std::string text = address;
    std::copy(text.begin(), text.end(), block.begin() + static_cast<long>(64 * slot++));
  }
  return block;
}

const EditCase kEditCases[] = {
    {"web port",
     syscfg::kNetworkPageCode,
     [](P& p, T&) { Type(p, NetworkConfigPage::IDC_WEB_PORT, "8080"); },
     "IP",
     {{16, {0x90, 0x1F}}}},
    {"stream port 256",
     syscfg::kNetworkPageCode,
     [](P& p, T&) { Type(p, NetworkConfigPage::IDC_STREAM_PORT, "256"); },
     "IP",
     {{18, {0, 1}}}},
    {"server address",
     syscfg::kNetworkPageCode,
     [](P& p, T&) {
       Ctl<ui::IpAddressCtrl>(p, NetworkConfigPage::IDC_SERVER_IP)->SetAddress(10, 0, 0, 7);
     },
     "IP",
     {{4, {10, 0, 0, 7}}}},
    {"mask and gateway",
     syscfg::kNetworkPageCode,
     [](P& p, T&) {
       Ctl<ui::IpAddressCtrl>(p, NetworkConfigPage::IDC_NET_MASK)->SetAddress(255, 255, 0, 0);
       Ctl<ui::IpAddressCtrl>(p, NetworkConfigPage::IDC_GATEWAY)->SetAddress(192, 168, 0, 254);
     },
     "IP",
     {{8, {255, 255, 0, 0, 192, 168, 0, 254}}}},
    {"dhcp",
     syscfg::kNetworkPageCode,
     [](P& p, T&) { Click(p, NetworkConfigPage::IDC_DHCP); },
     "IP",
     {{20, {2}}}},
    {"pppoe user",
     syscfg::kNetworkPageCode,
     [](P& p, T&) {
       Click(p, NetworkConfigPage::IDC_PPPOE);
       Click(p, NetworkConfigPage::IDC_STATIC_IP);  // back: the type stays
       Type(p, NetworkConfigPage::IDC_PPPOE_USER, "new-user");
     },
     "PPPOE",
     {{36, Field("new-user", 32)}}},
    {"dns server",
     syscfg::kDnsPageCode,
     [](P& p, T&) { Ctl<ui::IpAddressCtrl>(p, CDNSPage::IDC_DNS_SERVER)->SetAddress(8, 8, 4, 4); },
     "DNS",
     {{8, {8, 8, 4, 4}}}},
    {"ddns disabled",
     syscfg::kDnsPageCode,
     [](P& p, T&) { Click(p, CDNSPage::IDC_DISABLE); },
     "DNS",
     {{7, {0}}}},
    {"ddns account",
     syscfg::kDnsPageCode,
     [](P& p, T&) {
       Type(p, CDNSPage::IDC_DDNS_USER, "me");
       Type(p, CDNSPage::IDC_DDNS_PASSWORD, "pw");
       Type(p, CDNSPage::IDC_DDNS_DOMAIN, "cam.example.org");
     },
     "DNS",
     {{12, Field("me", 16)}, {28, Field("pw", 16)}, {44, Field("cam.example.org", 64)}}},
    {"ddns provider",
     syscfg::kDnsPageCode,
     [](P& p, T&) { Pick(p, CDNSPage::IDC_PROVIDER, 2); },
     "DNS",
     {{108, Field("statdns", 16)}}},
    {"time server",
     syscfg::kSntpPageCode,
     [](P& p, T&) { Type(p, CSNTPPage::IDC_TIME_SERVER, "time.example.com"); },
     "SNTP",
     {{4, Field("time.example.com", 32)}}},
    {"automatic time server",
     syscfg::kSntpPageCode,
     [](P& p, T&) { Click(p, CSNTPPage::IDC_AUTOMATIC); },
     "SNTP",
     {{4, Field("", 32)}}},
    {"first zone",
     syscfg::kSntpPageCode,
     [](P& p, T&) { Pick(p, CSNTPPage::IDC_TIME_ZONE, 0); },
     "SNTP",
     {{36, {0xF4, 0}}, {39, {0}}}},
    {"newfoundland",
     syscfg::kSntpPageCode,
     [](P& p, T&) { Pick(p, CSNTPPage::IDC_TIME_ZONE, 18); },
     "SNTP",
     {{36, {0xFD, 0xE2}}, {39, {18}}}},
    {"kathmandu",
     syscfg::kSntpPageCode,
     [](P& p, T&) { Pick(p, CSNTPPage::IDC_TIME_ZONE, 49); },
     "SNTP",
     {{36, {5, 45}}, {39, {49}}}},
    {"smtp texts",
     syscfg::kMailPageCode,
     [](P& p, T&) {
       Type(p, MailPropertyPage::IDC_SERVER, "mail.example.org");
       Type(p, MailPropertyPage::IDC_FROM, "cam2@example.org");
       Type(p, MailPropertyPage::IDC_USER, "u2");
       Type(p, MailPropertyPage::IDC_PASSWORD, "p2");
     },
     "SMTP",
     {{4, Field("mail.example.org", 64)},
      {68, Field("cam2@example.org", 64)},
      {452, Field("u2", 32)},
      {484, Field("p2", 32)}}},
    {"verify off",
     syscfg::kMailPageCode,
     [](P& p, T&) { Click(p, MailPropertyPage::IDC_VERIFY_NO); },
     "SMTP",
     {{2, {0}}}},
    {"address added",
     syscfg::kMailPageCode,
     [](P& p, T& t) {
       t.runner->ScriptHandler("CMailAccountEditDlg", [](ui::UiDialog& d) {
         auto& dialog = static_cast<CMailAccountEditDlg&>(d);
         EXPECT_EQ(dialog.m_strPrompt, ui::LoadString(CMailAccountEditDlg::kAddPrompt));
         dialog.m_strAddress = "carol@example.com";
         return ui::IDOK;
       });
       static_cast<MailPropertyPage&>(p).OnAdd();
     },
     "SMTP",
     {{132, MailBlock({"alice@example.net", "bob@example.org", "carol@example.com"})}}},
    {"address edited as typed",
     syscfg::kMailPageCode,
     [](P& p, T& t) {
       t.runner->ScriptHandler("CMailAccountEditDlg", [](ui::UiDialog& d) {
         auto& dialog = static_cast<CMailAccountEditDlg&>(d);
         EXPECT_EQ(dialog.m_strAddress, "bob <bob@example.org>");
         dialog.m_strAddress = "robert@example.org";
         return ui::IDOK;
       });
       Ctl<ui::ListCtrl>(p, MailPropertyPage::IDC_ADDRESS_LIST)->SelectItem(1);
       static_cast<MailPropertyPage&>(p).OnEdit();
     },
     "SMTP",
     {{132, MailBlock({"alice@example.net", "robert@example.org"})}}},
    {"address edit kept: stored bare",
     syscfg::kMailPageCode,
     [](P& p, T& t) {
       t.runner->ScriptResult("CMailAccountEditDlg", ui::IDOK);
       Ctl<ui::ListCtrl>(p, MailPropertyPage::IDC_ADDRESS_LIST)->SelectItem(0);
       static_cast<MailPropertyPage&>(p).OnEdit();
     },
     "SMTP",
     {{132, MailBlock({"alice@example.net", "bob@example.org"})}}},
    {"address deleted",
     syscfg::kMailPageCode,
     [](P& p, T&) {
       Ctl<ui::ListCtrl>(p, MailPropertyPage::IDC_ADDRESS_LIST)->SelectItem(0);
       static_cast<MailPropertyPage&>(p).OnDelete();
     },
     "SMTP",
     {{132, MailBlock({"bob@example.org"})}}},
    {"ftp site",
     syscfg::kFtpPageCode,
     [](P& p, T&) {
       Type(p, FTPPropertyPage::IDC_SERVER, "ftp2.example.net");
       Type(p, FTPPropertyPage::IDC_USER, "up");
       Type(p, FTPPropertyPage::IDC_PASSWORD, "secret2");
       Type(p, FTPPropertyPage::IDC_DIRECTORY, "/pics");
       Type(p, FTPPropertyPage::IDC_PORT, "2121");
     },
     "FTP",
     {{4, Field("ftp2.example.net", 32)},
      {36, Field("up", 16)},
      {52, Field("secret2", 16)},
      {68, Field("/pics", 32)},
      {100, {0x49, 0x08}}}},
    {"bit rate",
     syscfg::kVideoPageCode,
     [](P& p, T&) { Pick(p, C2ChSetPentaPage::IDC_BIT_RATE, 4); },
     "PENTA",
     {{6, {68, 0}}}},
    {"quality",
     syscfg::kVideoPageCode,
     [](P& p, T&) { Pick(p, C2ChSetPentaPage::IDC_QUALITY, 2); },
     "PENTA",
     {{89, {70}}}},
    {"mpeg4 704 x 480",
     syscfg::kVideoPageCode,
     [](P& p, T&) { Pick(p, C2ChSetPentaPage::IDC_MPEG4_RESOLUTION, 1); },
     "PENTA",
     // Codes and units of MPEG-4 and the JPEG codes; the JPEG units stay; ratio 44 / 22: 1.
     {{9, {0, 0, 44, 30}}, {85, {0, 0}}, {90, {1, 1}}}},
};

INSTANTIATE_TEST_SUITE_P(Pages, PageEditTest, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch)))
                               ch = '_';
                           }
                           return name;
                         });

}  // namespace

namespace {

// The one-resolution video page no window shows: its rows follow the video received now.
TEST_F(ConfigTest, TheUnshownVideoPageFollowsTheVideoReceived) {
  ASSERT_EQ(Load(), 1);
  g_lpApp->m_byVideoStandard = 2;
  g_lpApp->m_wFrameWidth = 704;
  g_lpApp->m_wFrameHeight = 576;
  g_lpApp->m_byVideoFormat = 0;
  CTreePropSheet sheet;
  CSetPentaCmdPage page;
  sheet.AddPage(&page);
  QTimer::singleShot(0, &sheet, [&] {
    using V = CSetPentaCmdPage;
    EXPECT_EQ(RowText(page, V::IDC_RESOLUTION), "704 x 576");
    EXPECT_EQ(RowText(page, V::IDC_VIDEO_TYPE), "JPEG");
    EXPECT_EQ(RowText(page, V::IDC_QUALITY), "Middle");
    EXPECT_FALSE(Shown(page, V::IDC_BIT_RATE));
    Pick(page, V::IDC_VIDEO_TYPE, 1);
    page.OnVideoTypeChanged();
    EXPECT_TRUE(Shown(page, V::IDC_BIT_RATE));
    EXPECT_EQ(RowText(page, V::IDC_BIT_RATE), "1M");
    EXPECT_FALSE(Shown(page, V::IDC_QUALITY_LABEL));
    sheet.EndDialog(0);
  });
  EXPECT_EQ(sheet.DoModal(), 0);
  sheet.RemovePage(&page);
  EXPECT_TRUE(SentOptions().empty());
}

// The fields beside the labels that begin a row (a text ending in ":" no wider than the gutter),
// each with its x in the page window; those outside the group boxes only on a page whose boxes
// hold such fields too.
std::vector<std::pair<QString, int>> FieldPlaces(QWidget& window) {
  std::vector<std::pair<QString, int>> inBoxes;
  std::vector<std::pair<QString, int>> outside;
  const auto add = [&](QLayout* layout, QLayoutItem* labelItem, QLayoutItem* fieldItem) {
    auto* label = labelItem != nullptr ? qobject_cast<QLabel*>(labelItem->widget()) : nullptr;
    QWidget* field = fieldItem != nullptr ? fieldItem->widget() : nullptr;
    if (label == nullptr || field == nullptr || field->isHidden() ||
        !label->text().trimmed().endsWith(QLatin1Char(':')) ||
        label->sizeHint().width() > syscfg::kLabelGutter)
      return;
    const bool boxed = qobject_cast<QGroupBox*>(layout->parentWidget()) != nullptr;
    (boxed ? inBoxes : outside)
        .emplace_back(label->text(), field->mapTo(&window, QPoint(0, 0)).x());
  };
  for (QLayout* layout : window.findChildren<QLayout*>()) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      for (int row = 0; row < grid->rowCount(); ++row)
        add(layout, grid->itemAtPosition(row, 0), grid->itemAtPosition(row, 1));
    } else if (auto* box = qobject_cast<QBoxLayout*>(layout);
               box != nullptr && box->direction() == QBoxLayout::LeftToRight && box->count() > 1) {
      add(layout, box->itemAt(0), box->itemAt(1));
    }
  }
  if (!inBoxes.empty())
    inBoxes.insert(inBoxes.end(), outside.begin(), outside.end());
  return inBoxes;
}

// Every page of the sheet, under the page's caption: one padding, its fields starting at one x
// on every page, and every key's text on one line and whole.
TEST_F(ConfigTest, EveryPageSharesOneGutterAndPaddingAndItsKeysFit) {
  ASSERT_EQ(Load(), 1);
  std::optional<int> fieldX;
  int pagesWithFields = 0;
  RunSheet([&](CSysConfPropSheet& s) {
    ASSERT_NE(s.GetPageFrame(), nullptr);
    EXPECT_TRUE(s.GetPageFrame()->GetShowCaption());
    for (int i = 0; i < s.GetPageCount(); ++i) {
      ASSERT_TRUE(s.SetActivePage(i));
      QCoreApplication::processEvents();
      ui::CPropertyPage* page = s.GetPage(i);
      SCOPED_TRACE(page->GetCaption().toStdString());
      QWidget* window = page->GetWindow();
      ASSERT_NE(window, nullptr);
      ASSERT_NE(window->layout(), nullptr);
      EXPECT_EQ(window->layout()->contentsMargins(),
                QMargins(syscfg::kPagePadding, syscfg::kPagePadding, syscfg::kPagePadding,
                         syscfg::kPagePadding));
      for (QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (group->layout() != nullptr) {
          EXPECT_EQ(group->layout()->contentsMargins().left(), syscfg::kGroupPadding);
        }
      }
      for (QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->text().contains(QLatin1Char('\n'))) << button->text().toStdString();
        if (button->isVisible()) {
          EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
      }
      const auto places = FieldPlaces(*window);
      pagesWithFields += places.empty() ? 0 : 1;
      for (const auto& [label, x] : places) {
        if (!fieldX)
          fieldX = x;
        EXPECT_EQ(x, *fieldX) << label.toStdString();
      }
    }
    s.EndDialog(0);
  });
  EXPECT_GE(pagesWithFields, 8);
}

}  // namespace
