#include "ui/main/image_adjust_dlg.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "app/app_data.h"
#include "bitmapgen/palette.h"
#include "ui/common/services.h"
#include "ui/common/skin_loader.h"
#include "ui/common/skinned_window.h"
#include "ui/common/slider_ctrl.h"
#include "ui/common/string_table.h"
#include "ui/common/vtx_button.h"
#include "ui/main/table_rect_qt.h"

using namespace mainwin;

namespace {

// The main window's ground and ink: the window is dark like the rest of the program.
const QColor kBody = skin::palette::kGround;
const QColor kInk = skin::palette::kInk;
// The title, in the title band after the logo.
constexpr QRect kTitleRect(38, 0, 236, 31);

// The text read as "%d" reads it: leading blanks, a sign, digits; nullopt without digits.
std::optional<int> ReadNumber(const QString& text) {
  int i = 0;
  while (i < text.size() && text[i].isSpace())
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  const int digitsStart = i;
  qint64 value = 0;
  while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
    // Past the value range every number clamps the same way: stop growing.
    if (value < 100000)
      value = value * 10 + (text[i].unicode() - '0');
    ++i;
  }
  if (i == digitsStart)
    return std::nullopt;
  return static_cast<int>(negative ? -value : value);
}

}  // namespace

CImageAdjustDlg::CImageAdjustDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QStringLiteral("Image Adjust"));
  setWindowFlag(Qt::FramelessWindowHint, true);
  new ui::WindowDragger(*this);
}

ui::CSliderCtrl* CImageAdjustDlg::Slider(int row) const {
  return qobject_cast<ui::CSliderCtrl*>(
      GetDlgItem(kImageAdjustRows[static_cast<std::size_t>(row)].sliderId));
}

QLineEdit* CImageAdjustDlg::Edit(int row) const {
  return qobject_cast<QLineEdit*>(
      GetDlgItem(kImageAdjustRows[static_cast<std::size_t>(row)].editId));
}

void CImageAdjustDlg::LoadFrame() {
  m_nLoadedPieces = 0;
  for (std::size_t i = 0; i < kImageAdjustFrame.size(); ++i) {
    QPixmap piece = ui::LoadSkinBitmap(ui::LoadString(kImageAdjustFrame[i].bitmapId));
    if (piece.isNull())
      return;  // the first missing piece ends the skin; the window still shows
    m_Frame[i] = std::move(piece);
    ++m_nLoadedPieces;
  }
}

void CImageAdjustDlg::CreateControls() {
  if (m_bControlsMade)
    return;
  m_bControlsMade = true;
  for (const ImageAdjustButton& b : kImageAdjustButtons) {
    auto* button = new CVtxButton(this);
    button->setGeometry(ToQRect(b.rect));
    const QString flat = ui::LoadString(b.flatId);
    const QString over = ui::LoadString(b.overId);
    button->LoadButtonBitmap(flat, over, over, b.id == IDC_CLOSE ? VTX_HOVER : VTX_PRESS);
    RegisterControl(b.id, button, ui::ControlRegistry::Tooltip::None);
    const int id = b.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] {
      if (id == ui::IDOK) {
        OnOK();
      } else if (id == IDC_DEFAULT) {
        OnDefault();
      } else {
        OnCancel();
      }
    });
  }
  for (std::size_t row = 0; row < kImageAdjustRows.size(); ++row) {
    const ImageAdjustRow& r = kImageAdjustRows[row];
    auto* slider = new ui::CSliderCtrl(this);
    slider->setGeometry(kSliderX, r.y, kSliderWidth, kRowHeight);
    slider->setRange(0, 255);
    slider->setPageStep(kImageValuePage);
    slider->setSingleStep(1);
    slider->setTickInterval(1);
    RegisterControl(r.sliderId, slider, ui::ControlRegistry::Tooltip::None);
    slider->SetNotify(
        [this, row](int code, int position) { OnHScroll(static_cast<int>(row), code, position); });
    auto* edit = new QLineEdit(this);
    edit->setGeometry(kEditX, r.y, kEditWidth, kRowHeight);
    RegisterControl(r.editId, edit, ui::ControlRegistry::Tooltip::None);
    connect(edit, &QLineEdit::textChanged, this,
            [this, row] { OnEditChanged(static_cast<int>(row)); });
    auto* label = new CVtxButton(this);
    label->setGeometry(kLabelX, r.y, kRowHeight, kRowHeight);
    label->LoadButtonBitmap(QString::fromLatin1(r.labelBitmap), VTX_SINGLE);
    RegisterControl(r.labelId, label, ui::ControlRegistry::Tooltip::FromStringTable);
  }
}

bool CImageAdjustDlg::OnInitDialog() {
  // 1. Size, round region, centred in the work area.
  ui::ApplyRoundRectRegion(*this, kImageAdjustWidth, kImageAdjustHeight, kImageAdjustCorner,
                           kImageAdjustCorner);
  setFixedSize(kImageAdjustWidth, kImageAdjustHeight);
  const QRect area = ui::WorkArea().Rect();
  move(area.left() + (area.width() - kImageAdjustWidth) / 2,
       area.top() + (area.height() - kImageAdjustHeight) / 2);
  // 2.-6.
  LoadFrame();
  CreateControls();
  for (std::size_t row = 0; row < kImageAdjustRows.size(); ++row)
    ShowValue(static_cast<int>(row), std::clamp(m_nInitial[row], 0, 255));
  return UiDialog::OnInitDialog();
}

void CImageAdjustDlg::ShowValue(int row, int value) {
  m_nValue[static_cast<std::size_t>(row)] = value;
  if (QSlider* slider = Slider(row)) {
    const QSignalBlocker block(slider);
    slider->setValue(value);
  }
  if (QLineEdit* edit = Edit(row); edit != nullptr && edit->text() != QString::number(value)) {
    const QSignalBlocker block(edit);
    edit->setText(QString::number(value));
  }
}

void CImageAdjustDlg::OnHScroll(int row, int code, int position) {
  const ui::CSliderCtrl* slider = Slider(row);
  if (slider == nullptr)
    return;
  int value = 0;
  switch (code) {
    case ui::CSliderCtrl::kLineUp:
    case ui::CSliderCtrl::kLineDown:
      value = slider->GetPos();
      break;
    case ui::CSliderCtrl::kPageUp:
      value = slider->GetPos() - slider->GetPageSize();
      break;
    case ui::CSliderCtrl::kPageDown:
      value = slider->GetPos() + slider->GetPageSize();
      break;
    case ui::CSliderCtrl::kThumbPosition:
    case ui::CSliderCtrl::kThumbTrack:
    case ui::CSliderCtrl::kTop:
    case ui::CSliderCtrl::kBottom:
      value = position;
      break;
    default:
      return;  // the end of a move changes nothing
  }
  ShowValue(row, std::clamp(value, 0, 255));
}

void CImageAdjustDlg::OnEditChanged(int row) {
  QLineEdit* edit = Edit(row);
  if (edit == nullptr)
    return;
  // A text without a number yet ("", "-") leaves the value as it is while the user types.
  const std::optional<int> typed = ReadNumber(edit->text());
  if (!typed)
    return;
  ShowValue(row, std::clamp(*typed, 0, 255));
}

void CImageAdjustDlg::OnDefault() {
  for (std::size_t row = 0; row < kImageAdjustRows.size(); ++row)
    ShowValue(static_cast<int>(row), kImageValueDefault);
}

void CImageAdjustDlg::OnOK() {
  m_nInitial = m_nValue;
  if (!g_lpApp)
    return;
  std::array<std::uint8_t, kImgConfigBytes>& record = g_lpApp->m_ImgConfig;
  for (std::size_t row = 0; row < kImageAdjustRows.size(); ++row) {
    record[static_cast<std::size_t>(kImageAdjustRows[row].recordByte)] =
        static_cast<std::uint8_t>(m_nValue[row]);
  }
  if (m_send)
    m_send(record);
}

void CImageAdjustDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBody);
  for (int i = 0; i < m_nLoadedPieces; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    painter.drawPixmap(ToQRect(kImageAdjustFrame[k].rect), m_Frame[k]);
  }
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(kInk);
  painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
  font.setPixelSize(14);
  painter.setFont(font);
  for (const ImageAdjustRow& r : kImageAdjustRows) {
    painter.drawText(QRect(kMinusX, r.y, kSliderX - kMinusX, kRowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("-"));
    painter.drawText(QRect(kPlusX, r.y, kEditX - kPlusX, kRowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("+"));
  }
}
