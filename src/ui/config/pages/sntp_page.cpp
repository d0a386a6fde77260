#include "ui/config/pages/sntp_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/net_environment.h"
#include "net/record_fields.h"
#include "net/session_command.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/time_zones.h"

namespace {

constexpr int kServerBytes = 31;

}  // namespace

CSNTPPage::CSNTPPage() : CSysConfPage(QStringLiteral("Network::SNTP"), syscfg::kSntpPageCode) {}

// The worker goes with the page: its tie to a window that outlives the page by a moment (it is
// deleted later) goes with it, and a request still running is stopped.
CSNTPPage::~CSNTPPage() = default;

void CSNTPPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* serverGroup = NewGroup(c, 0, QStringLiteral("Time Server"), window);
  auto* server = new QGridLayout(serverGroup);
  QRadioButton* automatic = NewRadio(c, IDC_AUTOMATIC, QStringLiteral("Automatic"), serverGroup);
  QRadioButton* manual = NewRadio(c, IDC_MANUAL, QStringLiteral("Manual"), serverGroup);
  server->addWidget(automatic, 0, 0);
  server->addWidget(manual, 1, 0);
  server->addWidget(NewEdit(c, IDC_TIME_SERVER, serverGroup, kServerBytes), 1, 1);
  server->setColumnStretch(1, 1);
  page->addWidget(serverGroup);

  auto* zoneGroup = NewGroup(c, 0, QStringLiteral("Time Zone"), window);
  auto* zone = new QGridLayout(zoneGroup);
  QComboBox* zones = NewCombo(c, IDC_TIME_ZONE, zoneGroup);
  zones->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  zones->setMinimumContentsLength(30);
  for (int row = 0; row < kTimeZoneCount; ++row)
    zones->addItem(TimeZoneText(row));
  zone->addWidget(NewLabel(c, 0, QStringLiteral("GMT:"), zoneGroup), 0, 0);
  zone->addWidget(zones, 0, 1);
  zone->setColumnStretch(1, 1);
  page->addWidget(zoneGroup);

  auto* sync = new QHBoxLayout;
  QPushButton* syncButton =
      NewButton(c, IDC_SYNC_SERVER_TIME, QStringLiteral("Sync Server Time"), window);
  sync->addWidget(syncButton);
  sync->addStretch(1);
  page->addLayout(sync);
  page->addStretch(1);

  QObject::connect(automatic, &QRadioButton::clicked, window, [this] {
    if (auto* edit = Controls().Get<QLineEdit>(IDC_TIME_SERVER))
      edit->clear();
    ShowManual(false);
  });
  QObject::connect(manual, &QRadioButton::clicked, window, [this] { ShowManual(true); });
  QObject::connect(syncButton, &QPushButton::clicked, window, [this] { OnSyncServerTime(); });
  m_worker.TieTo(*window);
}

bool CSNTPPage::OnInitDialog() {
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigSntp);
      !record.empty()) {
    m_strTimeServer = syscfg::ShownText(record, cfg::sntp::kServer);
    const int zone = net::RecordU8(record, cfg::sntp::kZone);
    m_nTimeZone = zone < syscfg::kTimeZoneCount ? zone : -1;
  }
  ShowManual(!m_strTimeServer.isEmpty());
  return CSysConfPage::OnInitDialog();
}

void CSNTPPage::ShowManual(bool manual) {
  ui::ControlRegistry& c = Controls();
  syscfg::CheckRadio(c, IDC_MANUAL, manual);
  syscfg::CheckRadio(c, IDC_AUTOMATIC, !manual);
  syscfg::EnableControls(c, {IDC_TIME_SERVER}, manual);
}

void CSNTPPage::DoDataExchange(ui::DataExchange& dx) {
  syscfg::ExchangeText(dx, IDC_TIME_SERVER, m_strTimeServer, kServerBytes);
  dx.ComboIndex(IDC_TIME_ZONE, m_nTimeZone);
}

void CSNTPPage::OnSyncServerTime() {
  if (Syncing())
    return;
  EndSync();
  syscfg::EnableControls(Controls(), {IDC_SYNC_SERVER_TIME}, false);
  const bool started = m_worker.Start(
      "SyncServerTimeThread",
      [send = Engine().sessionCommand,
       session = net::Environment().SessionId()](const ui::WorkerRun<>& run) {
        return send(CgiIndex::kCgiSyncServerTime, session, run.Token());
      },
      [this](int result) { OnSyncDone(result); });
  if (!started)
    OnSyncDone(0);
}

void CSNTPPage::EndSync() {
  m_worker.Stop();
  syscfg::EnableControls(Controls(), {IDC_SYNC_SERVER_TIME}, true);
}

void CSNTPPage::OnSyncDone(int result) {
  EndSync();
  // A refusal status counts as a failure as much as no answer does.
  if (result != 1)
    ui::MessageBoxById(ui::kMsgSendCommandFailed);
}
