#include "ui/config/pages/online_user_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "media/alarm_db/alarm_database.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/net_environment.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/user_level_text.h"

namespace syscfg {

QString OnlineAddressText(std::uint32_t address) {
  if (address == 0)
    return {};
  OnlineUser user;
  user.dwAddress = address;
  const std::array<std::uint8_t, 4> octets = user.AddressOctets();
  return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
}

QString OnlineLevelText(std::uint32_t level) {
  return UserLevelText(level);
}

QString OnlineMediaText(std::uint32_t flags) {
  const QString mpeg4 = ui::LoadString(2200);
  const QString jpeg = ui::LoadString(2201);
  const QString audio = ui::LoadString(2202);
  const QString joined = QStringLiteral(" / ");
  // By the three bits: MPEG-4 is named before JPEG, and audio joins the video named.
  const QString texts[8] = {ui::LoadString(2204),
                            mpeg4,
                            jpeg,
                            mpeg4,
                            audio,
                            mpeg4 + joined + audio,
                            jpeg + joined + audio,
                            mpeg4 + joined + audio};
  return texts[flags & 7];
}

QString OnlineUserName(const OnlineUser& user) {
  return QString::fromStdString(user.Name());
}

}  // namespace syscfg

COnlineUserPage::COnlineUserPage()
    : CSysConfPage(QStringLiteral("Information"), syscfg::kOnlineUserPageCode) {}

// The worker goes with the page: its tie to a window that outlives the page by a moment (it is
// deleted later) goes with it, and a query still running is stopped.
COnlineUserPage::~COnlineUserPage() = default;

void COnlineUserPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(NewLabel(c, 0, QStringLiteral("Host Name:"), window));
  hostRow->addWidget(NewEdit(c, IDC_HOST_NAME, window, kHostNameBytes), 1);
  page->addLayout(hostRow);
  auto* group = NewGroup(c, 0, QStringLiteral("Online Users"), window);
  // The list takes the group's whole width (its four columns need it), the key stands under it.
  auto* users = new QVBoxLayout(group);
  ui::ListCtrl* list = NewList(c, IDC_LIST, group);
  list->InsertColumn(0, ui::LoadString(2100), 80);
  list->InsertColumn(1, ui::LoadString(2101), 100);
  list->InsertColumn(2, ui::LoadString(2102), 90);
  list->InsertColumn(3, ui::LoadString(2103), 110);
  list->header()->setStretchLastSection(true);
  users->addWidget(list, 1);
  auto* buttons = new QHBoxLayout;
  QPushButton* refresh = NewButton(c, IDC_REFRESH, QStringLiteral("Info Refresh"), group);
  buttons->addStretch(1);
  buttons->addWidget(refresh);
  users->addLayout(buttons);
  page->addWidget(group, 1);
  QObject::connect(refresh, &QPushButton::clicked, window, [this] { OnRefresh(); });
  m_worker.TieTo(*window);
}

bool COnlineUserPage::OnInitDialog() {
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigSystem);
      !record.empty())
    m_strHostName = syscfg::ShownText(record, cfg::system::kHostName);
  const bool result = CSysConfPage::OnInitDialog();
  StartQuery();
  return result;
}

void COnlineUserPage::DoDataExchange(ui::DataExchange& dx) {
  syscfg::ExchangeText(dx, IDC_HOST_NAME, m_strHostName, syscfg::kHostNameBytes);
}

void COnlineUserPage::StartQuery() {
  EndQuery();
  syscfg::EnableControls(Controls(), {IDC_REFRESH}, false);
  const bool started = m_worker.Start(
      "OnlineUserThread",
      [fetch = Engine().fetchOnlineUsers, session = net::Environment().SessionId()](
          const ui::WorkerRun<>& run) { return fetch(session, run.Token()); },
      [this](std::optional<std::vector<std::uint8_t>> reply) { OnQueryDone(std::move(reply)); });
  if (!started)
    OnQueryDone(std::nullopt);
}

void COnlineUserPage::EndQuery() {
  m_worker.Stop();
  syscfg::EnableControls(Controls(), {IDC_REFRESH}, true);
}

void COnlineUserPage::OnQueryDone(std::optional<std::vector<std::uint8_t>> reply) {
  EndQuery();
  if (reply && g_AlarmDatabase.StoreOnlineUsers(*reply)) {
    Fill();
    return;
  }
  ui::MessageBoxById(ui::kMsgGetConfigError);
}

void COnlineUserPage::Fill() {
  ui::ListCtrl* list = Controls().Get<ui::ListCtrl>(IDC_LIST);
  if (list == nullptr)
    return;
  list->DeleteAllItems();
  const auto& users = g_AlarmDatabase.OnlineUsers();
  const auto& used = g_AlarmDatabase.UsedFlags();
  int row = 0;
  for (std::size_t i = 0; i < users.size(); ++i) {
    if (used[i] != 1)
      continue;
    const OnlineUser& user = users[i];
    list->InsertItem(row, syscfg::OnlineUserName(user));
    list->SetItemText(row, 1, syscfg::OnlineAddressText(user.dwAddress));
    list->SetItemText(row, 2, syscfg::OnlineLevelText(user.dwLevel));
    list->SetItemText(row, 3, syscfg::OnlineMediaText(user.MediaFlags()));
    ++row;
  }
}

void COnlineUserPage::OnRefresh() {
  if (Querying())
    return;
  StartQuery();
}
