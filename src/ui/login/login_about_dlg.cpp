#include "ui/login/login_about_dlg.h"

#include <QPainter>

#include "ui/common/services.h"
#include "ui/common/skin_loader.h"
#include "ui/common/skinned_window.h"
#include "ui/common/vtx_button.h"

namespace {
constexpr QRect kOkPlace(250, 200, 49, 25);
constexpr QRect kLogoPlace(12, 38, 71, 74);
constexpr QPoint kVersionAt(160, 50);
}  // namespace

CLoginAboutDlg::CLoginAboutDlg(QWidget* parent) : ui::UiDialog(parent) {
  setWindowTitle(QStringLiteral("About"));
  new ui::WindowDragger(*this);
}

CLoginAboutDlg::~CLoginAboutDlg() = default;

bool CLoginAboutDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  setGeometry(0, 0, kLoginAboutWidth, kLoginAboutHeight);
  setFixedSize(kLoginAboutWidth, kLoginAboutHeight);
  ui::ApplyRoundRectRegion(*this, kLoginAboutWidth, kLoginAboutHeight, 10, 10);
  m_background = ui::LoadSkinBitmap(QStringLiteral("BMP\\login_background.bmp"));
  if (m_background.isNull())
    return false;
  m_logo = ui::LoadSkinBitmap(QStringLiteral("BMP\\VARNEL_LOGO.bmp"));
  if (m_logo.isNull())
    return false;
  auto* ok = new CVtxButton(this);
  ok->setGeometry(kOkPlace);
  ok->LoadButtonBitmap(QStringLiteral("BMP\\login_ok.bmp"),
                       QStringLiteral("BMP\\login_ok_over.bmp"),
                       QStringLiteral("BMP\\login_ok_over.bmp"), VTX_PRESS);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
  ok->show();
  const QRect work = ui::WorkArea().Rect();
  move((work.width() - kLoginAboutWidth) / 2, (work.height() - kLoginAboutHeight) / 2);
  m_strVersion = QString::fromLatin1(kLoginAboutVersion);
  return true;
}

void CLoginAboutDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!m_background.isNull())
    painter.drawPixmap(QRect(0, 0, kLoginAboutWidth, kLoginAboutHeight), m_background);
  if (!m_logo.isNull())
    painter.drawPixmap(kLogoPlace, m_logo);
  if (m_strVersion.isEmpty())
    return;
  QFont font = painter.font();
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(Qt::black);  // on the background's paper plate
  painter.drawText(QRect(kVersionAt, QSize(kLoginAboutWidth - kVersionAt.x() - 8, 18)),
                   Qt::AlignLeft | Qt::AlignTop, m_strVersion);
}
