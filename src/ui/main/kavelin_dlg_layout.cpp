// CKavelinDlg: the layout by skin and panel state, the panel refresh by device and rights, the
// skin switches, full screen and the size-change message.
#include <QApplication>
#include <array>
#include <utility>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/main_window_state.h"
#include "app/trace.h"
#include "media/frame_header.h"
#include "ui/common/skinned_window.h"
#include "ui/common/string_table.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/table_rect_qt.h"
#include "ui/main/time_stamp_wnd.h"

using namespace mainwin;

namespace {

constexpr int kCornerEllipse = 15;

// The bitmap set of a skin index: NTSC full 1, half 0, quarter 4; PAL full 3, half 2, quarter 5.
std::uint8_t BitmapSetOf(int skin) {
  static constexpr std::array<std::uint8_t, kSkinCount> kSets = {1, 0, 3, 2, 4, 5};
  return kSets[static_cast<std::size_t>(skin >= 0 && skin < kSkinCount ? skin : 0)];
}

}  // namespace

const SkinLayoutRecord& CKavelinDlg::Skin() const {
  return SkinRecord(g_lpApp ? g_lpApp->m_wSkinIndex.load() : 0);
}

int CKavelinDlg::LayoutSkin() const {
  return g_lpApp ? g_lpApp->m_bySkinMode.load() % kLayoutSkinCount : 0;
}

std::uint8_t CKavelinDlg::CurrentDeviceType() const {
  if (!g_lpApp)
    return 0;
  const CSettingINI& settings = g_lpApp->m_SettingINI;
  const std::uint8_t type =
      settings.m_bySelectedChannel == 1 ? settings.m_byChannel1Device : settings.m_byChannel2Device;
  return CheckedDeviceType(type);
}

bool CKavelinDlg::InFullScreen() const {
  return g_lpApp && g_lpApp->m_bFullScreen.load() != 0;
}

QRect CKavelinDlg::WorkAreaRect() const {
  return m_rcWorkArea;
}

QRect CKavelinDlg::VideoRect() const {
  return ToQRect(Skin().Video());
}

void CKavelinDlg::PlaceWindow(const TableRect& rect, bool centre) {
  const int w = rect.Width();
  const int h = rect.Height();
  setFixedSize(w, h);
  if (centre) {
    // Integer halves of the work area, its origin not added.
    move((m_rcWorkArea.width() - w) / 2, (m_rcWorkArea.height() - h) / 2);
  }
  setMask(ui::RoundRectRegion(w, h, kCornerEllipse, kCornerEllipse));
}

void CKavelinDlg::HideCommandButtons() {
  for (CVtxButton* button : m_CommandButtons) {
    if (button != nullptr)
      button->hide();
  }
}

void CKavelinDlg::LayOutPanel(int deviceType, SlotRightsTest test) {
  if (!g_lpApp)
    return;
  const CAppData& app = *g_lpApp;
  const int layoutSkin = LayoutSkin();
  const std::uint16_t level = app.m_wUserLevelShown.load();
  const std::uint8_t authority = RightsRow(app.m_byUserRightsRow.load()).authority;
  const panel::PanelDeviceEntry& entry = panel::PanelEntry(deviceType);
  for (int k = 0; k < panel::kSlotCount; ++k) {
    const panel::PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
    CVtxButton* button = m_CommandButtons[static_cast<std::size_t>(k)];
    if (button == nullptr)
      continue;
    if (!(rec.flags & panel::kFlagShown)) {
      button->hide();
      continue;
    }
    const auto& r = rec.rects[static_cast<std::size_t>(layoutSkin)];
    button->setGeometry(r.left, r.top, r.Width(), r.Height());
    button->setVisible(SlotVisibleByRights(rec.flags, level, authority, test));
    button->setEnabled((rec.flags & panel::kFlagEnabled) != 0);
  }
}

void CKavelinDlg::ShowPanelButtons(bool panelUp, bool panelDown) {
  const int row = g_lpApp ? g_lpApp->m_byUserRightsRow.load() : kGuestRow;
  if (m_PanelUp != nullptr)
    m_PanelUp->setVisible(panelUp && RightsAllow(row, IDC_PANELUP));
  if (m_PanelDown != nullptr)
    m_PanelDown->setVisible(panelDown && RightsAllow(row, IDC_PANELDOWN));
}

void CKavelinDlg::UpdatePanelArea() {
  const SkinLayoutRecord& skin = Skin();
  const TableRect open = skin.OpenWindow();
  update(QRect(open.left, open.top + skin.Video().bottom, open.Width(),
               open.Height() - skin.Video().bottom));
}

int CKavelinDlg::ArrangeControls() {
  if (!g_lpApp || m_PanelUp == nullptr)
    return 1;
  const SkinLayoutRecord& skin = Skin();
  const int layoutSkin = LayoutSkin();
  // 1.-3.
  for (int i = 0; i < kTitleButtonCount; ++i)
    m_TitleButtons[static_cast<std::size_t>(i)]->setGeometry(ToQRect(skin.TitleButton(i)));
  for (int i = 0; i < kToolbarButtonCount; ++i)
    m_BarButtons[static_cast<std::size_t>(i)]->setGeometry(ToQRect(BarButtonRect(layoutSkin, i)));
  m_Power->setGeometry(ToQRect(skin.Power()));
  m_PanelUp->setGeometry(ToQRect(skin.PanelUp()));
  m_PanelDown->setGeometry(ToQRect(skin.PanelDown()));
  if (m_pTimeStampWnd != nullptr) {
    const TableRect strip = skin.Strip();
    m_pTimeStampWnd->move(strip.left, strip.top - 19);
  }
  // 4.-6. The window keeps its place and takes the size of the panel state.
  if (!m_bPanelOpen) {
    PlaceWindow(skin.ClosedWindow(), false);
    HideCommandButtons();
  } else {
    PlaceWindow(skin.OpenWindow(), false);
    LayOutPanel(CurrentDeviceType(), SlotRightsTest::kLevelAndAuthority);
  }
  // 7.
  update();
  UpdateTimeStampVisibility();
  return 1;
}

int CKavelinDlg::ApplyResolutionMode(int) {
  return 1;
}

int CKavelinDlg::EnablePanelControls(int mode) {
  if (mode != 0 && mode != 1)
    return 1;
  for (CVtxButton* button : m_BarButtons) {
    if (button != nullptr)
      button->setVisible(mode == 1);
  }
  return 1;
}

void CKavelinDlg::SelectSkin(int skin) {
  CAppData& app = *g_lpApp;
  app.m_wSkinIndex = static_cast<std::uint16_t>(skin);
  app.m_bySkinMode = static_cast<std::uint8_t>(LayoutSkinOf(skin));
  app.m_bySkinA = BitmapSetOf(skin);
  app.m_bySkinB = BitmapSetOf(skin);
}

int CKavelinDlg::SetSkin(const std::string& prefix) {
  {
    const std::lock_guard lock(m_layoutLock);
    LoadPanelBitmaps(prefix);
  }
  return ArrangeControls();
}

int CKavelinDlg::RefreshPanelButtons() {
  if (!g_lpApp || m_PanelUp == nullptr)
    return 1;
  CAppData& app = *g_lpApp;
  // 1. The panel keys' faces for the standard and the resolution mode.
  if (const char* prefix =
          PanelLoaderPrefix(app.m_byVideoStandard.load(), app.m_SettingINI.m_nImageResolution))
    LoadPanelBitmaps(prefix);
  // 2.
  const std::uint8_t type = CurrentDeviceType();
  const std::size_t port = app.m_SettingINI.m_bySelectedChannel == 1 ? 0 : 1;
  // 3.-4. Tooltips, the two-word labels by their flags, and AV SWITCH's face by the option.
  if (app.lp_wndMainDialog.load() == nullptr) {
    ::app::TraceLine("KavelinDlg : g_lpApp->lp_wndMainDialog is error");
  } else {
    const panel::PanelDeviceEntry& entry = panel::PanelEntry(type);
    for (int k = 0; k < panel::kSlotCount; ++k) {
      const panel::PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
      if (CVtxButton* button = m_CommandButtons[static_cast<std::size_t>(k)])
        button->setToolTip(ui::LoadString(rec.textId));
    }
    const auto word = [](int id, bool first) {
      const QString label = ui::LoadString(id);
      return first ? ui::FirstWord(label) : ui::SecondWord(label);
    };
    // The two-state keys show the word and the face of their flag (the faces were reloaded in
    // their first state above).
    const std::array<std::pair<int, bool>, 3> twoStateKeys = {
        {{IDC_PTZ_CONTROL, app.m_abPtzControl[port].load() != 0},
         {IDC_TURBO, app.m_bTurboOn.load() != 0},
         {IDC_RETR, app.m_bRetrOn.load() != 0}}};
    for (const auto& [id, on] : twoStateKeys) {
      SetToolTipText(id, word(id, on));
      SetButtonState(id, on ? 1 : 0);
    }
    const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
    const int avState = option == 1 ? 2 : option == 2 ? 1 : option == 3 ? 0 : -1;
    if (avState >= 0)
      SetButtonState(IDC_AV_SWITCH, avState);
  }
  // 5.-6.
  const bool noPanel = panel::PanelEntry(type).trailer.flags & panel::kTrailerNoPanel;
  if (!noPanel) {
    if (!m_bPanelOpen) {
      HideCommandButtons();
      ShowPanelButtons(true, false);
    } else {
      LayOutPanel(type, SlotRightsTest::kLevelAndAuthority);
      ShowPanelButtons(false, true);
    }
  } else if (!m_bPanelOpen) {
    LayOutPanel(type, SlotRightsTest::kAuthorityOnly);
    ShowPanelButtons(false, true);
  } else {
    m_bPanelOpen = false;
    PlaceWindow(Skin().ClosedWindow(), false);
    HideCommandButtons();
    m_PanelDown->hide();
    m_PanelUp->hide();
  }
  // 7. The hot point is on for the PTZ layout 8 only.
  const bool hotPoint = type == 8;
  app::SetHotPoint(app, hotPoint);
  // 8.
  UpdatePanelArea();
  return 1;
}

void CKavelinDlg::OnPanelUp() {
  m_bPanelOpen = !m_bPanelOpen;
  PlaceWindow(Skin().OpenWindow(), false);
  m_PanelDown->show();
  m_PanelUp->hide();
  LayOutPanel(CurrentDeviceType(), SlotRightsTest::kLevelAndAuthority);
  UpdatePanelArea();
}

void CKavelinDlg::OnPanelDown() {
  m_bPanelOpen = !m_bPanelOpen;
  PlaceWindow(Skin().ClosedWindow(), false);
  m_PanelDown->hide();
  m_PanelUp->show();
  HideCommandButtons();
  UpdatePanelArea();
}

void CKavelinDlg::OnTitleFullScreen() {
  if (!g_lpApp || g_lpApp->m_SettingINI.m_byAvSwitchOption == 2)
    return;
  g_lpApp->m_bFullScreen = 1;
  m_bFullScreenRelayout = true;
  if (m_pTimeStampWnd != nullptr)
    m_pTimeStampWnd->hide();
}

void CKavelinDlg::ApplyFullScreenLayout() {
  if (!InFullScreen())
    return;
  const int w = m_rcWorkArea.width();
  const int h = m_rcWorkArea.height();
  setMask(QRegion(0, 0, w, h));
  setFixedSize(w, h);
  setGeometry(m_rcWorkArea);
  raise();
  for (CVtxButton* button : m_TitleButtons)
    button->hide();
  for (CVtxButton* button : m_ChannelButtons)
    button->hide();
  EnablePanelControls(0);
  m_Power->hide();
  m_PanelUp->hide();
  m_PanelDown->hide();
  HideCommandButtons();
  if (m_pTimeStampWnd != nullptr)
    m_pTimeStampWnd->hide();
  update();
}

void CKavelinDlg::ExitFullScreen() {
  if (!g_lpApp || m_PanelUp == nullptr)
    return;
  CAppData& app = *g_lpApp;
  // 1.-5.
  app.m_bFullScreen = 0;
  m_bFullScreenRelayout = false;
  for (CVtxButton* button : m_TitleButtons)
    button->show();
  ApplyResolutionMode(app.m_SettingINI.m_nImageResolution);
  const std::uint8_t code = app.m_byDeviceType.load();
  if ((code == 'q' || code == 's') && app.m_wUserLevelShown.load() == 30)
    m_Power->show();
  EnablePanelControls(1);
  // 6. The window of the panel state (a device without a panel has it closed), centred.
  const std::uint8_t type = CurrentDeviceType();
  if (panel::PanelEntry(type).trailer.flags & panel::kTrailerNoPanel)
    m_bPanelOpen = false;
  PlaceWindow(m_bPanelOpen ? Skin().OpenWindow() : Skin().ClosedWindow(), true);
  ShowPanelButtons(!m_bPanelOpen, m_bPanelOpen);
  // 7.-8.
  ApplyRights();
  if (m_bPanelOpen)
    LayOutPanel(type, SlotRightsTest::kLevelAndAuthority);
  update();
}

void CKavelinDlg::UpdateTimeStampVisibility() {
  if (m_pTimeStampWnd == nullptr || !g_lpApp)
    return;
  const std::uint8_t mode = g_lpApp->m_bySkinB.load();
  const bool alarm = g_bAlarmClear.load() == 0;
  m_pTimeStampWnd->setVisible(!InFullScreen() && (mode == 0 || mode == 2) && alarm);
}

void CKavelinDlg::CheckFrameWidthFits() {
  if (!g_lpApp || InFullScreen())
    return;
  // Placed once: a window already at the closed size is not pulled back to the centre with
  // every picture.
  const int frameWidth = g_lpApp->m_wFrameWidth.load();
  const TableRect closed = Skin().ClosedWindow();
  if ((frameWidth == 640 || frameWidth == 704 || frameWidth == 720) && width() < frameWidth &&
      size() != QSize(closed.Width(), closed.Height()))
    PlaceWindow(closed, true);
}

void CKavelinDlg::OnModifyMainDialogSize() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  // The RESOLUTION button that would show the next face is never made: it is skipped.
  const auto nextResolutionFace = [this] {
    if (CVtxButton* resolution = Button(IDC_RESOLUTION))
      resolution->ShowNextFrame();
  };
  switch (app.m_byVideoSizeCode.load()) {
    case 4:
      SelectSkin(0);
      SetSkin(SkinFilePrefix(0));
      app.m_SettingINI.m_nImageResolution = 1;
      nextResolutionFace();
      break;
    case 3:
      SelectSkin(1);
      SetSkin(SkinFilePrefix(1));
      app.m_SettingINI.m_nImageResolution = 0;
      nextResolutionFace();
      break;
    default:
      break;
  }
  update();
}

void CKavelinDlg::OnResolution() {
  if (!g_lpApp)
    return;
  std::atomic<std::int32_t>& mode = g_lpApp->m_SettingINI.m_nImageResolution;
  if (mode == 1) {
    mode = 2;
  } else if (mode == 2) {
    mode = 1;
  }
}
