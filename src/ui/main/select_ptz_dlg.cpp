#include "ui/main/select_ptz_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <cmath>

#include "app/app_data.h"
#include "ui/common/string_table.h"

namespace {

constexpr int kEscTooltipId = 3204;

int Scaled(int value, float scale) {
  return static_cast<int>(std::lround(static_cast<float>(value) * scale));
}

}  // namespace

CSelectPTZDlg::CSelectPTZDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QString::fromLatin1(kCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* label = new QLabel(QStringLiteral("SELECT  NO :"), this);
  RegisterControl(IDC_LABEL, label, ui::ControlRegistry::Tooltip::None);
  auto* number = new QLineEdit(this);
  RegisterControl(IDC_NUMBER, number, ui::ControlRegistry::Tooltip::None);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
  RegisterControl(ui::IDCANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  auto* esc = new QPushButton(QStringLiteral("ESC"), this);
  esc->setToolTip(ui::LoadString(kEscTooltipId));
  RegisterControl(IDC_ESC, esc, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  connect(esc, &QPushButton::clicked, this, [this] { EndDialog(kResultPtzOff); });
}

std::size_t CSelectPTZDlg::Port() {
  return g_lpApp && g_lpApp->m_SettingINI.m_bySelectedChannel == 1 ? 0 : 1;
}

void CSelectPTZDlg::PlaceControl(QWidget* control, const Place& place, float scale) {
  control->setGeometry(Scaled(place.x, scale), Scaled(place.y, scale), Scaled(place.width, scale),
                       Scaled(place.height, scale));
}

bool CSelectPTZDlg::OnInitDialog() {
  const float scale = g_lpApp && g_lpApp->m_fDisplayScale > 0 ? g_lpApp->m_fDisplayScale : 1.0f;
  setFixedSize(Scaled(kClient.width, scale), Scaled(kClient.height, scale));
  PlaceControl(GetDlgItem(IDC_LABEL), kLabelPlace, scale);
  PlaceControl(GetDlgItem(IDC_NUMBER), kNumberPlace, scale);
  PlaceControl(GetDlgItem(ui::IDOK), kOkPlace, scale);
  PlaceControl(GetDlgItem(IDC_ESC), kEscPlace, scale);
  const std::size_t port = Port();
  const bool inPtzControl = g_lpApp && g_lpApp->m_abPtzControl[port].load() != 0;
  // Out of PTZ control there is nothing to go back from: CANCEL takes ESC's place.
  PlaceControl(GetDlgItem(ui::IDCANCEL), inPtzControl ? kCancelPlace : kCancelAlonePlace, scale);
  GetDlgItem(IDC_ESC)->setVisible(inPtzControl);
  if (g_lpApp)
    m_nSelectNo = g_lpApp->m_abyChannelPtzNumber[port].load();
  return UiDialog::OnInitDialog();
}

void CSelectPTZDlg::DoDataExchange(ui::DataExchange& dx) {
  dx.Number(IDC_NUMBER, m_nSelectNo, INT_MIN, INT_MAX);
}
