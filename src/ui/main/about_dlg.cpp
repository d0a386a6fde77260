#include "ui/main/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

QPixmap KavelinIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x23, 0x28, 0x30));
  p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.2, s * 0.2);
  p.setBrush(QColor(0x2b, 0xa6, 0xde));
  p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.32, s * 0.32);
  p.setBrush(QColor(0x23, 0x28, 0x30));
  p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.18, s * 0.18);
  p.setBrush(QColor(0xe8, 0xee, 0xf4));
  p.drawEllipse(QPointF(s * 0.44, s * 0.44), s * 0.06, s * 0.06);
  return pixmap;
}

CAboutDlg::CAboutDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QStringLiteral("About Kavelin"));
  auto* icon = new QLabel(this);
  icon->setPixmap(KavelinIconPixmap(48));
  auto* version = new QLabel(QStringLiteral("Kavelin Version 1.0"), this);
  auto* line = new QLabel(QStringLiteral("Live video client for the video server"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { EndDialog(ui::IDOK); });
  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(line);
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addLayout(texts);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  RegisterControl(ui::IDOK, buttons->button(QDialogButtonBox::Ok),
                  ui::ControlRegistry::Tooltip::None);
}
