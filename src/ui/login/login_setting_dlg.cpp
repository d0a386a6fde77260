#include "ui/login/login_setting_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>

#include "app/login_window_state.h"
#include "ui/common/skinned_window.h"
#include "ui/common/string_table.h"
#include "ui/common/vtx_button.h"
#include "ui/login/login_look.h"

namespace ui::login {
namespace {

constexpr QRect Ltrb(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// The window and its parts that the table does not place, unscaled: the group boxes around
// each pair and the buttons under them.
constexpr QSize kWindowSize(230, 198);
constexpr QRect kTransmissionGroup(14, 28, 202, 44);
constexpr QRect kDecodeGroup(14, 103, 202, 44);
constexpr QRect kButtonRow(14, 160, 202, 28);

const QStringList& RadioBitmaps() {
  static const QStringList names = {QStringLiteral("BMP\\LOGIN\\Login_Radio_UnSelect.bmp"),
                                    QStringLiteral("BMP\\LOGIN\\Login_Radio_UnSelect.bmp"),
                                    QStringLiteral("BMP\\LOGIN\\Login_Radio_Select.bmp"),
                                    QStringLiteral("BMP\\LOGIN\\Login_Radio_Select.bmp")};
  return names;
}

}  // namespace

const std::vector<SettingRadio>& SettingRadios() {
  static const std::vector<SettingRadio> radios = {
      {IDC_RADIO_UDP, Ltrb(140, 45, 152, 57), QPoint(155, 45), true, 0},
      {IDC_RADIO_TCP, Ltrb(70, 45, 82, 57), QPoint(85, 45), true, 1},
      {IDC_RADIO_JPEG, Ltrb(140, 120, 152, 132), QPoint(155, 120), false, 0},
      {IDC_RADIO_MPEG4, Ltrb(70, 120, 82, 132), QPoint(85, 120), false, 4},
  };
  return radios;
}

QRect ScaledRect(const QRect& rect, double scale) {
  const auto scaled = [scale](int v) { return static_cast<int>(v * scale); };
  const int left = scaled(rect.left());
  const int top = scaled(rect.top());
  return QRect(left, top, scaled(rect.left() + rect.width()) - left,
               scaled(rect.top() + rect.height()) - top);
}

}  // namespace ui::login

using namespace ui::login;

CLoginSettingDlg::CLoginSettingDlg(QWidget* parent) : ui::UiDialog(parent) {
  setWindowTitle(QStringLiteral("Login Setting"));
  new ui::WindowDragger(*this);
}

int CLoginSettingDlg::RadioState(int id) const {
  const auto* button = qobject_cast<CVtxButton*>(GetDlgItem(id));
  return button != nullptr ? button->CurrentState() : -1;
}

bool CLoginSettingDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  m_scale = app::DisplayScale();
  const QRect window = ScaledRect(QRect(QPoint(0, 0), kWindowSize), m_scale);
  setFixedSize(window.size());
  ui::ApplyRoundRectRegion(*this, window.width(), window.height(), 10, 10);

  // The template's group boxes and buttons.
  auto* transmission = new QGroupBox(QStringLiteral("Transmission Type"), this);
  transmission->setGeometry(ScaledRect(kTransmissionGroup, m_scale));
  transmission->setStyleSheet(LookGroupStyleSheet());
  RegisterControl(IDC_GROUP_TRANSMISSION, transmission, ui::ControlRegistry::Tooltip::None);
  auto* decode = new QGroupBox(QStringLiteral("Decode Type"), this);
  decode->setGeometry(ScaledRect(kDecodeGroup, m_scale));
  decode->setStyleSheet(LookGroupStyleSheet());
  RegisterControl(IDC_GROUP_DECODE, decode, ui::ControlRegistry::Tooltip::None);
  auto* buttons = new QDialogButtonBox(this);
  buttons->setGeometry(ScaledRect(kButtonRow, m_scale));
  auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  auto* cancel = buttons->addButton(QStringLiteral("CANCEL"), QDialogButtonBox::RejectRole);
  RegisterControl(IDC_LOGIN_SETTING_OK, ok, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_LOGIN_SETTING_CANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  // Each button ends the dialog with its own id.
  connect(ok, &QPushButton::clicked, this, [this] { EndDialog(IDC_LOGIN_SETTING_OK); });
  connect(cancel, &QPushButton::clicked, this, [this] { EndDialog(IDC_LOGIN_SETTING_CANCEL); });

  // The radio buttons from the table, over the group boxes.
  for (const SettingRadio& radio : SettingRadios()) {
    auto* button = new CVtxButton(this);
    button->setGeometry(ScaledRect(radio.rect, m_scale));
    button->LoadButtonBitmap(2, RadioBitmaps(), VTX_STATES);
    RegisterControl(radio.id, button);
    const int id = radio.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnRadio(id); });
  }

  // 1. The transmission choice: 1 shows TCP, any other value UDP.
  const app::StreamChoice choice = app::LoadStreamChoice();
  m_byTransmission = choice.transmission;
  if (m_byTransmission == 1)
    ShowPair(IDC_RADIO_TCP, IDC_RADIO_UDP);
  else
    ShowPair(IDC_RADIO_UDP, IDC_RADIO_TCP);
  // 2. The decode choice: 0 shows JPEG, any other value MPEG4.
  m_byDecode = choice.decode;
  if (m_byDecode != 0)
    ShowPair(IDC_RADIO_MPEG4, IDC_RADIO_JPEG);
  else
    ShowPair(IDC_RADIO_JPEG, IDC_RADIO_MPEG4);
  return true;
}

void CLoginSettingDlg::OnRadio(int id) {
  for (const SettingRadio& radio : SettingRadios()) {
    if (radio.id != id)
      continue;
    if (radio.transmission) {
      m_byTransmission = radio.value;
      ShowPair(id, id == IDC_RADIO_UDP ? IDC_RADIO_TCP : IDC_RADIO_UDP);
    } else {
      m_byDecode = radio.value;
      ShowPair(id, id == IDC_RADIO_JPEG ? IDC_RADIO_MPEG4 : IDC_RADIO_JPEG);
    }
  }
}

void CLoginSettingDlg::ShowPair(int selected, int other) {
  if (auto* button = qobject_cast<CVtxButton*>(GetDlgItem(selected)))
    button->SetButtonState(1);
  if (auto* button = qobject_cast<CVtxButton*>(GetDlgItem(other)))
    button->SetButtonState(0);
}

void CLoginSettingDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintLookFrame(painter, rect(), windowTitle());
  // The labels of the radio buttons, at their scaled places.
  QFont font = painter.font();
  font.setPixelSize(std::max(9, static_cast<int>(11 * m_scale)));
  font.setBold(false);
  painter.setFont(font);
  painter.setPen(kLookText);
  for (const SettingRadio& radio : SettingRadios()) {
    const QRect at = ScaledRect(QRect(radio.labelAt, QSize(56, radio.rect.height())), m_scale);
    painter.drawText(at, Qt::AlignLeft | Qt::AlignVCenter, ui::LoadString(radio.id));
  }
}
