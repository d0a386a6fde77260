#include "ui/config/sheets/my_system_dialog.h"

#include <QResizeEvent>

#include "app/app_data.h"
#include "ui/common/string_table.h"

namespace {

constexpr std::uint8_t kFullDeviceType = '2';

}  // namespace

MySystemDialog::MySystemDialog(ports::SysConfEngine engine, QWidget* parent)
    : CPropertySheet(QString(), parent), CSysConfSheetBase(std::move(engine)) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  resize(600, 500);
}

MySystemDialog::MySystemDialog(ports::SysConfEngine engine, int captionId, QWidget* parent)
    : MySystemDialog(std::move(engine), parent) {
  setWindowTitle(ui::LoadString(captionId));
}

MySystemDialog::MySystemDialog(ports::SysConfEngine engine, const QString& caption, QWidget* parent)
    : MySystemDialog(std::move(engine), parent) {
  setWindowTitle(caption);
  const bool full = g_lpApp && g_lpApp->m_byDeviceType.load() == kFullDeviceType;
  const std::initializer_list<ui::CPropertyPage*> fullPages = {
      &m_PentaPage,   &m_OnlineUserPage, &m_LogPage,      &m_AlarmPage,  &m_MailPage,
      &m_FtpPage,     &m_AlarmDataPage,  &m_SchedulePage, &m_RecordPage, &m_PeripheralPage,
      &m_AccountPage, &m_NetworkPage,    &m_SntpPage,     &m_DnsPage};
  const std::initializer_list<ui::CPropertyPage*> otherPages = {
      &m_MailPage,       &m_FtpPage,   &m_RecordPage,   &m_AccountPage,
      &m_OnlineUserPage, &m_AlarmPage, &m_SchedulePage, &m_AlarmDataPage};
  for (ui::CPropertyPage* page : full ? fullPages : otherPages)
    AddPage(page);
}

MySystemDialog::~MySystemDialog() {
  OnDestroyWindow();
  while (GetPageCount() > 0)
    RemovePage(0);
}

std::array<MySystemDialog::ButtonPlace, 3> MySystemDialog::ButtonPlaces(int clientHeight,
                                                                        double scale) {
  // Each coordinate term is scaled and cut to an integer on its own.
  const auto s = [scale](int value) { return static_cast<int>(value * scale); };
  const int top = clientHeight - s(27);
  const int height = s(22);
  return {{{IDC_EXIT, QRect(s(10), top, s(70), height)},
           {IDC_APPLY, QRect(s(140), top, s(80), height)},
           {IDC_REBOOT, QRect(s(277), top, s(80), height)}}};
}

bool MySystemDialog::OnInitDialog() {
  const bool result = CPropertySheet::OnInitDialog();
  InitSheetKeys();
  PlaceButtons();
  return result;
}

void MySystemDialog::resizeEvent(QResizeEvent* event) {
  CPropertySheet::resizeEvent(event);
  PlaceButtons();
}

void MySystemDialog::PlaceButtons() {
  const double scale = g_lpApp ? g_lpApp->m_fDisplayScale : 1.0;
  for (const ButtonPlace& place : ButtonPlaces(height(), scale)) {
    if (QWidget* button = GetDlgItem(place.id))
      button->setGeometry(place.rect);
  }
}

void MySystemDialog::OnApply() {
  StartApply(kApplyOrder);
}

void MySystemDialog::OnCancel() {
  StopApply();
  CPropertySheet::OnCancel();
}

void MySystemDialog::OnDestroyWindow() {
  StopRun();
  CPropertySheet::OnDestroyWindow();
}
