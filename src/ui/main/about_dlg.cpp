#include "ui/main/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/control_images.h"

CAboutDlg::CAboutDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QStringLiteral("About Kavelin"));
  auto* icon = new QLabel(this);
  icon->setPixmap(ui::KavelinIconPixmap(48));
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
