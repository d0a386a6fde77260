#include "ui/login/clock_dlg.h"

#include "ui/common/clock_st.h"
#include "ui/common/skinned_window.h"

namespace {
constexpr QRect kClockPlace(10, 10, 150, 72);
}  // namespace

CClockDlg::CClockDlg(QWidget* parent) : ui::UiDialog(parent), m_pClock(new CClockST(this)) {
  setWindowTitle(QStringLiteral("Clock"));
  m_pClock->setGeometry(kClockPlace);
  RegisterControl(IDC_CLOCK_STATIC, m_pClock, ui::ControlRegistry::Tooltip::None);
  new ui::WindowDragger(*this);
}

CClockDlg::~CClockDlg() = default;

bool CClockDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  m_pClock->Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                   kClockPlace, this);
  // The box fits the clock with the static's margin around it.
  setFixedSize(m_pClock->width() + 2 * kClockPlace.x(), m_pClock->height() + 2 * kClockPlace.y());
  return true;
}
