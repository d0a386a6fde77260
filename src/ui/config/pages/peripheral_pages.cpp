#include "ui/config/pages/peripheral_pages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/ctrl_file.h"
#include "net/record_fields.h"

namespace syscfg {
namespace {

constexpr std::uint32_t kBauds[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::uint32_t kOtherBaud = 2400;

}  // namespace

int BaudRow(std::uint32_t baud) {
  for (int i = 0; i < 6; ++i) {
    if (kBauds[i] == baud)
      return i + 1;
  }
  return 0;
}

std::uint32_t BaudOfRow(int row) {
  return row >= 1 && row <= 6 ? kBauds[row - 1] : kOtherBaud;
}

int DeviceRows::RowOf(std::uint8_t type) const {
  for (std::size_t row = 0; row < types.size(); ++row) {
    if (types[row] == type)
      return static_cast<int>(row);
  }
  return static_cast<int>(types.size()) - 1;
}

int DeviceRows::TypeOf(int row) const {
  return row >= 0 && row < static_cast<int>(types.size()) ? types[static_cast<std::size_t>(row)]
                                                          : -1;
}

DeviceRows LoadedDeviceRows() {
  DeviceRows rows;
  for (std::size_t kind = 0; kind < DeviceCommandTable.size(); ++kind) {
    if (DeviceCommandTable[kind].device == nullptr)
      continue;
    rows.types.push_back(static_cast<std::uint8_t>(kind));
    rows.names.push_back(QString::fromLatin1(DeviceCommandTable[kind].name));
  }
  return rows;
}

QString RecorderKindText(std::uint8_t deviceType) {
  switch (deviceType) {
    case 0x71:
    case 0x72:
      return QStringLiteral("4CH DVR (BASIC)");
    case 0x73:
      return QStringLiteral("4CH DVR (FULL)");
    case 0x76:
      return QStringLiteral("9CH DVR");
    case 0x77:
      return QStringLiteral("16CH DVR");
    case 0x84:
    case 0x8A:
      return QStringLiteral("4CH MPEG2 DVR");
    default:
      return {};
  }
}

}  // namespace syscfg

namespace {

QLineEdit* NewIdEdit(ui::ControlRegistry& c, int id, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(3);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), edit));
  edit->setMaximumWidth(70);
  c.Register(id, edit);
  return edit;
}

}  // namespace

CPeripheralPage::CPeripheralPage()
    : CSysConfPage(QStringLiteral("General::Peripheral"), syscfg::kPeripheralPageCode) {}

void CPeripheralPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  const struct {
    const char* title;
    int id, model, baud;
  } channels[] = {{"Channel 1", IDC_ID1, IDC_MODEL1, IDC_BAUD1},
                  {"Channel 2", IDC_ID2, IDC_MODEL2, IDC_BAUD2}};
  for (const auto& ch : channels) {
    auto* group = NewGroup(c, 0, QString::fromLatin1(ch.title), window);
    auto* grid = new QGridLayout(group);
    grid->addWidget(NewLabel(c, 0, QStringLiteral("Device ID :"), group), 0, 0);
    grid->addWidget(NewIdEdit(c, ch.id, group), 0, 1, Qt::AlignLeft);
    grid->addWidget(NewLabel(c, 0, QStringLiteral("Model :"), group), 1, 0);
    grid->addWidget(NewCombo(c, ch.model, group), 1, 1);
    grid->addWidget(NewLabel(c, 0, QStringLiteral("Baud Rate :"), group), 2, 0);
    QComboBox* baud = NewCombo(c, ch.baud, group);
    baud->addItem(QString());
    for (std::uint32_t rate : {4800u, 9600u, 19200u, 38400u, 57600u, 115200u})
      baud->addItem(QString::number(rate));
    grid->addWidget(baud, 2, 1);
    grid->setColumnStretch(1, 1);
    page->addWidget(group);
  }
  auto* turboRow = new QHBoxLayout;
  turboRow->addWidget(NewLabel(c, 0, QStringLiteral("Turbo Step :"), window));
  QComboBox* turbo = NewCombo(c, IDC_TURBO, window);
  for (int step = 1; step <= 10; ++step)
    turbo->addItem(QString::number(step));
  turboRow->addWidget(turbo);
  turboRow->addStretch(1);
  page->addLayout(turboRow);
  page->addStretch(1);
}

bool CPeripheralPage::OnInitDialog() {
  using namespace cfg;
  m_Rows = syscfg::LoadedDeviceRows();
  for (int id : {IDC_MODEL1, IDC_MODEL2}) {
    if (auto* combo = Controls().Get<QComboBox>(id)) {
      combo->clear();
      for (const QString& name : m_Rows.names)
        combo->addItem(name);
    }
  }
  if (g_lpApp) {
    CAppData& app = *g_lpApp;
    const std::span<const std::uint8_t> record = app.m_Rs485Config;
    m_nBaud1 = syscfg::BaudRow(net::RecordU32(record, rs485::kPort1Baud));
    m_nBaud2 = syscfg::BaudRow(net::RecordU32(record, rs485::kPort2Baud));
    m_dwId1 = net::RecordU8(record, rs485::kPort1Id);
    m_dwId2 = net::RecordU8(record, rs485::kPort2Id);
    m_nModel1 = m_Rows.RowOf(net::RecordU8(record, rs485::kPort1Type));
    m_nModel2 = m_Rows.RowOf(net::RecordU8(record, rs485::kPort2Type));
    // The live ports take the ids and models at once; with no device loaded the types stay.
    app.m_abyChannelDeviceId[0] = static_cast<std::uint8_t>(m_dwId1);
    app.m_abyChannelDeviceId[1] = static_cast<std::uint8_t>(m_dwId2);
    if (const int type = m_Rows.TypeOf(m_nModel1); type >= 0)
      app.m_SettingINI.m_byChannel1Device = static_cast<std::uint8_t>(type);
    if (const int type = m_Rows.TypeOf(m_nModel2); type >= 0)
      app.m_SettingINI.m_byChannel2Device = static_cast<std::uint8_t>(type);
    m_nTurbo = net::RecordU8(record, rs485::kTurboStep) - 1;
  }
  return CSysConfPage::OnInitDialog();
}

void CPeripheralPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_BAUD1, m_nBaud1);
  dx.ComboIndex(IDC_MODEL1, m_nModel1);
  dx.Number(IDC_ID2, m_dwId2, 0u, 255u);
  dx.Number(IDC_ID1, m_dwId1, 0u, 255u);
  dx.ComboIndex(IDC_MODEL2, m_nModel2);
  dx.ComboIndex(IDC_BAUD2, m_nBaud2);
  dx.ComboIndex(IDC_TURBO, m_nTurbo);
}

CQ4TPeripheral::CQ4TPeripheral() : CPropertyPage(QStringLiteral("Peripheral")) {}

void CQ4TPeripheral::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* grid = new QGridLayout(window);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Device ID :"), window), 0, 0);
  QLineEdit* id = NewEdit(c, IDC_ID, window);
  id->setReadOnly(true);
  grid->addWidget(id, 0, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Model :"), window), 1, 0);
  QLineEdit* model = NewEdit(c, IDC_MODEL, window);
  model->setReadOnly(true);
  grid->addWidget(model, 1, 1);
  grid->setRowStretch(2, 1);
}

bool CQ4TPeripheral::OnInitDialog() {
  if (g_lpApp) {
    m_strId = QString::number(g_lpApp->m_abyChannelDeviceId[0].load());
    m_strModel = syscfg::RecorderKindText(g_lpApp->m_byDeviceType.load());
  }
  return CPropertyPage::OnInitDialog();
}

void CQ4TPeripheral::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_MODEL, m_strModel);
  dx.Text(IDC_ID, m_strId);
}
