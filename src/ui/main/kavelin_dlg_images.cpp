// CKavelinDlg: the helpers that put an icon resource or a bitmap file on one of its controls.
#include "ui/common/control_images.h"
#include "ui/common/skin_loader.h"
#include "ui/main/kavelin_dlg.h"

bool CKavelinDlg::SetControlIcon(int controlId, int iconId) {
  const QIcon icon = ui::LoadIconResource(iconId);
  if (icon.isNull())
    return false;
  return ui::SetControlImage(GetDlgItem(controlId), icon.pixmap(16, 16));
}

bool CKavelinDlg::SetControlBitmap(int controlId, const QString& bitmapFile) {
  return ui::SetControlImage(GetDlgItem(controlId), ui::LoadSkinBitmap(bitmapFile));
}
