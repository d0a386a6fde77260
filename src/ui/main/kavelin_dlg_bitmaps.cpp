// CKavelinDlg: the skin bitmaps: backgrounds, status strips and icons, the images of every
// button at start-up, and the command-panel loaders with the turbo faces.
#include <QStringList>

#include "app/app_data.h"
#include "app/trace.h"
#include "ui/common/skin_loader.h"
#include "ui/main/kavelin_dlg.h"

using namespace mainwin;

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

bool LoadThree(CVtxButton& button, const ThreeImages& images, std::uint16_t type) {
  return button.LoadButtonBitmap(Q(images.flat), Q(images.focus), Q(images.selected), type);
}

bool LoadPairs(CVtxButton& button, int pairs, const std::string* names, std::uint16_t type) {
  QStringList list;
  for (int i = 0; i < pairs * 2; ++i)
    list << Q(names[i]);
  return button.LoadButtonBitmap(pairs, list, type);
}

}  // namespace

int CKavelinDlg::LoadExternalBitmap() {
  bool missing = false;
  const auto load = [&missing](const std::string& name) {
    QPixmap pixmap = ui::LoadSkinBitmap(Q(name));
    missing = missing || pixmap.isNull();
    return pixmap;
  };
  for (int skin = 0; skin < kSkinCount; ++skin) {
    const SkinBackgrounds files = SkinBackgroundFiles(skin);
    m_Backgrounds[static_cast<std::size_t>(skin)] = load(files.background);
    m_ExtendedBackgrounds[static_cast<std::size_t>(skin)] = load(files.extended);
    m_StatusBars[static_cast<std::size_t>(skin)] = load(files.strip);
  }
  for (int i = 0; i < kInfoIconCount; ++i)
    m_InfoIcons[static_cast<std::size_t>(i)] = load(InfoIconFiles()[static_cast<std::size_t>(i)]);
  if (missing)
    DebugPrint("CKavelinDlg : LoadExternalBitmap is error \n");
  return 1;
}

void CKavelinDlg::LoadCommandButtonImages(int slot, const panel::PanelButtonRecord& rec) {
  CVtxButton* button = m_CommandButtons[static_cast<std::size_t>(slot)];
  if (button == nullptr)
    return;
  if (rec.imageKind & panel::kKindSinglePair) {
    const bool full = g_lpApp && g_lpApp->m_nLastResolution.load() == 1;
    const std::string& normal = rec.images[full ? 0 : 3];
    const std::string& over = rec.images[full ? 1 : 4];
    button->LoadButtonBitmap(Q(normal), Q(over), Q(over), VTX_PRESS);
  } else if (rec.imageKind & panel::kKindFrames) {
    LoadPairs(*button, 2, rec.images.data(), VTX_FRAMES);
  } else if (rec.imageKind & panel::kKindStatesHover) {
    LoadPairs(*button, 2, rec.images.data(), VTX_STATES_HOVER);
  }
}

void CKavelinDlg::CreateSkinButtons(int skin, int all) {
  if (!g_lpApp || m_PanelUp == nullptr)
    return;
  if (all == 0) {
    LoadPanelBitmaps(SkinFilePrefix(skin));
    return;
  }
  const CAppData& app = *g_lpApp;
  const int layoutSkin = LayoutSkinOf(skin);
  const int row = app.m_byUserRightsRow.load();
  // 1. Title bar.
  for (int i = 0; i < kTitleButtonCount; ++i)
    LoadThree(*m_TitleButtons[static_cast<std::size_t>(i)], TitleButtonImages(i), VTX_HOVER);
  // 2. Channel strip: the arrows press, the channels show enabled and disabled faces.
  for (int i = 0; i < kChannelButtonCount; ++i) {
    const ChannelButtonRecord& rec = ChannelButtonTable()[static_cast<std::size_t>(i)];
    const std::string* names = &rec.bitmaps[static_cast<std::size_t>(layoutSkin * 4)];
    CVtxButton& button = *m_ChannelButtons[static_cast<std::size_t>(i)];
    if (rec.controlId == IDC_CHANNEL_LEFT || rec.controlId == IDC_CHANNEL_RIGHT) {
      LoadThree(button, {names[0], names[1], names[2]}, VTX_PRESS_HOVER);
    } else {
      LoadPairs(button, 2, names, VTX_STATES_HOVER);
    }
  }
  // 3. Command buttons of the current device by their image kind.
  const panel::PanelDeviceEntry& entry = panel::PanelEntry(CurrentDeviceType());
  for (int k = 0; k < panel::kSlotCount; ++k)
    LoadCommandButtonImages(k, entry.buttons[static_cast<std::size_t>(k)]);
  // 4. Power, when the rights allow it.
  if (RightsAllow(row, IDC_POWER))
    LoadThree(*m_Power, PowerButtonImages(), VTX_PRESS_HOVER);
  // 5. Button bar: the normal or the refused images. Hover buttons take three images; the
  // state buttons take (n + 1) / 2 pairs.
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    const BarImages images = ToolbarImages(i, RightsAllow(row, IDC_AV_SWITCH + i));
    const std::uint16_t kind = ToolbarButtonTable()[static_cast<std::size_t>(i)].kind;
    CVtxButton& button = *m_BarButtons[static_cast<std::size_t>(i)];
    if (images.threeImages) {
      LoadThree(button, {images.names[0], images.names[1], images.names[2]}, kind);
    } else {
      LoadPairs(button, images.pairs, images.names.data(), kind);
    }
  }
  // 6.-7.
  const std::string prefix = SkinFilePrefix(skin);
  LoadThree(*m_PanelUp, PanelUpImages(prefix), VTX_HOVER);
  LoadThree(*m_PanelDown, PanelDownImages(prefix), VTX_HOVER);
  LoadPanelBitmaps(prefix);
}

void CKavelinDlg::LoadPanelBitmaps(const std::string& prefix) {
  if (!g_lpApp || m_PanelUp == nullptr)
    return;
  const bool turbo = g_lpApp->m_bTurboOn.load() != 0;
  const panel::PanelDeviceEntry& entry = panel::PanelEntry(CurrentDeviceType());
  for (int k = 0; k < panel::kSlotCount; ++k) {
    const panel::PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
    CVtxButton* button = m_CommandButtons[static_cast<std::size_t>(k)];
    if (button == nullptr)
      continue;
    if (panel::IsTurboSlot(k)) {
      // The direction, zoom and focus keys show the skin's faces, turbo or plain.
      LoadThree(*button, DirectionKeyFaceImages(k, prefix, turbo), VTX_PRESS);
    } else if (rec.flags & panel::kFlagLoadImages) {
      if (rec.imageKind & panel::kKindSinglePair) {
        if (rec.flags & panel::kFlagSingleImage) {
          LoadThree(*button, {rec.images[5], rec.images[5], rec.images[5]}, VTX_PRESS);
        } else {
          LoadThree(*button, {rec.images[3], rec.images[4], rec.images[4]}, VTX_PRESS);
        }
      } else if (rec.imageKind & panel::kKindFrames) {
        LoadPairs(*button, 2, rec.images.data(), VTX_FRAMES);
      } else if (rec.imageKind & panel::kKindStatesHover) {
        LoadPairs(*button, 2, rec.images.data(), VTX_STATES_HOVER);
      }
    }
  }
  LoadThree(*m_PanelUp, PanelUpImages(prefix), VTX_HOVER);
  LoadThree(*m_PanelDown, PanelDownImages(prefix), VTX_HOVER);
}
