// The main window's two image helpers: an icon resource and a bitmap file put on a control.
#include <QAbstractButton>
#include <QLabel>

#include "main_window_fixture.h"
#include "ui/common/control_images.h"
#include "ui/common/skin_loader.h"

namespace main_window_test {
namespace {

using namespace mainwin;
using ImageHelpersTest = MainWindowTest;

TEST_F(ImageHelpersTest, AnIconResourceOrABitmapFileOnAControl) {
  CKavelinDlg& window = Open();
  constexpr int kLabelId = 5000;
  auto* label = new QLabel(&window);
  window.RegisterControl(kLabelId, label, ui::ControlRegistry::Tooltip::None);

  // The program's icon at 16 x 16 on a label and on a button.
  ASSERT_TRUE(window.SetControlIcon(kLabelId, ui::IDI_PROGRAM));
  const QImage icon16 = ui::LoadIconResource(ui::IDI_PROGRAM).pixmap(16, 16).toImage();
  EXPECT_EQ(label->pixmap().toImage(), icon16);
  auto* connect = qobject_cast<QAbstractButton*>(window.GetDlgItem(IDC_CONNECT));
  ASSERT_NE(connect, nullptr);
  ASSERT_TRUE(window.SetControlIcon(IDC_CONNECT, ui::IDI_PROGRAM));
  EXPECT_EQ(connect->iconSize(), QSize(16, 16));
  EXPECT_EQ(connect->icon().pixmap(16, 16).toImage(), icon16);

  // A bitmap file named as the skins name theirs, at its own size.
  const QString file = QStringLiteral("BMP\\InfoOnlineUser.bmp");
  const QImage bitmap = ui::LoadSkinImage(file);
  ASSERT_FALSE(bitmap.isNull());
  ASSERT_TRUE(window.SetControlBitmap(kLabelId, file));
  EXPECT_EQ(label->pixmap().toImage().convertToFormat(bitmap.format()), bitmap);

  // Nothing to load, or no such control: nothing changes.
  EXPECT_FALSE(window.SetControlIcon(kLabelId, 9999));
  EXPECT_FALSE(window.SetControlBitmap(kLabelId, QStringLiteral("BMP\\Missing.bmp")));
  EXPECT_FALSE(window.SetControlIcon(4999, ui::IDI_PROGRAM));
  EXPECT_FALSE(window.SetControlBitmap(4999, file));
  EXPECT_EQ(label->pixmap().size(), bitmap.size());
}

}  // namespace
}  // namespace main_window_test
