#include "ui/config/sheets/sys_conf_prop_sheet.h"

#include <QResizeEvent>

#include "app/app_data.h"
#include "ui/common/string_table.h"

namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 22;

}  // namespace

CSysConfPropSheet::CSysConfPropSheet(ports::SysConfEngine engine, const QString& caption,
                                     QWidget* parent, int selectPage)
    : CTreePropSheet(caption, parent, selectPage), CSysConfSheetBase(std::move(engine)) {
  // No close box: EXIT is the way out.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  resize(540, 470);
  SetTreeWidth(180);
  SetTreeMode(true, true);  // the page's caption shown over it
  for (ui::CPropertyPage* page : std::initializer_list<ui::CPropertyPage*>{
           &m_NetworkPage, &m_DnsPage, &m_SntpPage, &m_FtpPage, &m_MailPage, &m_PentaPage,
           &m_PeripheralPage, &m_AccountPage, &m_RecordPage, &m_SchedulePage, &m_AlarmPage,
           &m_OnlineUserPage, &m_LogPage, &m_AlarmDataPage}) {
    AddPage(page);
  }
}

CSysConfPropSheet::CSysConfPropSheet(ports::SysConfEngine engine, int captionId, QWidget* parent,
                                     int selectPage)
    : CSysConfPropSheet(std::move(engine), ui::LoadString(captionId), parent, selectPage) {}

CSysConfPropSheet::~CSysConfPropSheet() {
  OnDestroyWindow();
  // The pages are members of the base: they leave the sheet before they go.
  while (GetPageCount() > 0)
    RemovePage(0);
}

void CSysConfPropSheet::CloseForLostConnection() {
  if (!IsInModalRun())
    return;
  m_bOpen = 0;
  StopApply();
  EndDialog(kResultClosed);
}

bool CSysConfPropSheet::OnInitDialog() {
  const bool result = CTreePropSheet::OnInitDialog();
  InitSheetKeys();
  PlaceButtons();
  return result;
}

void CSysConfPropSheet::resizeEvent(QResizeEvent* event) {
  CTreePropSheet::resizeEvent(event);
  PlaceButtons();
}

void CSysConfPropSheet::PlaceButtons() {
  // 80 x 22 each along the bottom edge, from 270, 180 and 90 pixels left of the right edge.
  const int w = width();
  const int top = height() - 27;
  const int offsets[] = {270, 180, 90};
  const int ids[] = {IDC_EXIT, IDC_APPLY, IDC_REBOOT};
  for (std::size_t i = 0; i < 3; ++i) {
    if (QWidget* button = GetDlgItem(ids[i]))
      button->setGeometry(w - offsets[i], top, kButtonWidth, kButtonHeight);
  }
}

void CSysConfPropSheet::OnDestroyWindow() {
  StopRun();
  CTreePropSheet::OnDestroyWindow();
}
