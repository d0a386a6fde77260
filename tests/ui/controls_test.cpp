#include <gtest/gtest.h>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "ui/common/combo_box.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/services.h"

namespace {

TEST(ListCtrl, RowsColumnsAndSelection) {
  ui::ListCtrl list;
  EXPECT_EQ(list.InsertColumn(0, "IP", 120), 0);
  EXPECT_EQ(list.InsertColumn(1, "PORT", 60), 1);
  EXPECT_EQ(list.InsertColumn(1, "MAC", 130), 1);
  EXPECT_EQ(list.headerItem()->text(2), "PORT");
  EXPECT_EQ(list.GetFirstSelected(), -1);
  EXPECT_EQ(list.InsertItem(0, "10.0.0.2"), 0);
  EXPECT_EQ(list.InsertItem(0, "10.0.0.1"), 0);
  EXPECT_EQ(list.InsertItem(99, "10.0.0.3"), 2);
  EXPECT_EQ(list.InsertItem(-1, "x"), -1);
  EXPECT_TRUE(list.SetItemText(1, 2, "80"));
  EXPECT_FALSE(list.SetItemText(1, 3, "no column"));
  EXPECT_FALSE(list.SetItemText(7, 0, "no row"));
  EXPECT_EQ(list.GetItemText(1, 0), "10.0.0.2");
  EXPECT_EQ(list.GetItemText(1, 2), "80");
  EXPECT_EQ(list.GetItemText(9, 0), "");
  EXPECT_TRUE(list.SetItemData(2, 42));
  EXPECT_EQ(list.GetItemData(2), 42u);
  EXPECT_TRUE(list.SelectItem(2));
  EXPECT_EQ(list.GetFirstSelected(), 2);
  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetFirstSelected(), 1);
  EXPECT_FALSE(list.DeleteItem(5));
  EXPECT_FALSE(list.SelectItem(5));
  EXPECT_TRUE(list.SelectItem(-1));
  EXPECT_EQ(list.GetFirstSelected(), -1);
  list.DeleteAllItems();
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(ListCtrl, GridLinesInThePalettesRimTone) {
  ui::ListCtrl list;
  list.InsertColumn(0, QStringLiteral("NO."), 40);
  list.InsertColumn(1, QStringLiteral("Time"), 120);
  for (int row = 0; row < 3; ++row)
    list.InsertItem(row, QString::number(row));
  QPalette palette = list.palette();
  palette.setColor(QPalette::Midlight, QColor(0x3b, 0x43, 0x4e));
  palette.setColor(QPalette::Base, QColor(0x25, 0x2a, 0x32));
  list.setPalette(palette);
  list.resize(200, 120);
  list.show();
  QCoreApplication::processEvents();
  const QRect plain = list.visualItemRect(list.topLevelItem(0));
  list.SetGridLines(true);
  EXPECT_TRUE(list.HasGridLines());
  QCoreApplication::processEvents();
  const QRect cell = list.visualRect(list.model()->index(1, 0));
  EXPECT_GT(cell.height(), plain.height());  // a little air round the text
  const QImage shot = list.viewport()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(cell.right(), cell.center().y()), QColor(0x3b, 0x43, 0x4e));
  EXPECT_EQ(shot.pixelColor(cell.left() + 30, cell.bottom()), QColor(0x3b, 0x43, 0x4e));
  list.SetGridLines(false);
  EXPECT_FALSE(list.HasGridLines());
}

TEST(ComboBox, IndexCallsAndFailures) {
  QComboBox combo;
  EXPECT_EQ(ui::ComboGetCurSel(combo), ui::CB_ERR);
  EXPECT_EQ(ui::ComboAddString(combo, "4800"), 0);
  EXPECT_EQ(ui::ComboAddString(combo, "19200"), 1);
  EXPECT_EQ(ui::ComboInsertString(combo, 1, "9600"), 1);
  EXPECT_EQ(ui::ComboInsertString(combo, 5, "past the end"), ui::CB_ERR);
  EXPECT_EQ(ui::ComboInsertString(combo, -1, "38400"), 3);
  EXPECT_EQ(combo.count(), 4);
  EXPECT_EQ(ui::ComboSetCurSel(combo, 2), 2);
  EXPECT_EQ(ui::ComboGetText(combo, 2), "19200");
  EXPECT_EQ(ui::ComboSetCurSel(combo, 4), ui::CB_ERR);
  EXPECT_EQ(ui::ComboGetCurSel(combo), ui::CB_ERR);
  EXPECT_EQ(ui::ComboSetCurSel(combo, -1), ui::CB_ERR);
  EXPECT_EQ(ui::ComboGetText(combo, 9), "");
}

TEST(IpAddressCtrl, NumberWithTheFirstOctetMostSignificant) {
  ui::IpAddressCtrl ip;
  EXPECT_TRUE(ip.IsBlank());
  std::uint32_t address = 1;
  EXPECT_EQ(ip.GetAddress(address), 0);
  EXPECT_EQ(address, 0u);
  ip.SetAddress(0xC0A80105u);
  EXPECT_EQ(ip.Field(0)->text(), "192");
  EXPECT_EQ(ip.Field(3)->text(), "5");
  EXPECT_EQ(ip.GetAddress(address), 4);
  EXPECT_EQ(address, 0xC0A80105u);
  ip.Field(2)->clear();
  EXPECT_EQ(ip.GetAddress(address), 3);
  EXPECT_EQ(address, 0xC0A80005u);
  ip.ClearAddress();
  EXPECT_TRUE(ip.IsBlank());
  EXPECT_EQ(ui::IpAddressText(0x0A000001u), "10.0.0.1");
  EXPECT_EQ(ui::IpAddressText(0xFFFFFFFFu), "255.255.255.255");
}

// A box takes three digits, so a number above 255 can be typed: it is found, not read as 255
// unnoticed.
TEST(IpAddressCtrl, ATypedPartAbove255IsFound) {
  ui::IpAddressCtrl ip;
  ip.SetAddress(192, 168, 1, 1);
  EXPECT_EQ(ip.OutOfRangeField(), -1);
  ip.Field(3)->clear();
  QTest::keyClicks(ip.Field(3), "300");
  ASSERT_EQ(ip.Field(3)->text(), "300");
  EXPECT_EQ(ip.OutOfRangeField(), 3);
  ip.Field(1)->setText("256");
  EXPECT_EQ(ip.OutOfRangeField(), 1);
  ip.Field(1)->setText("255");
  ip.Field(3)->setText("0");
  EXPECT_EQ(ip.OutOfRangeField(), -1);
  ip.Field(0)->clear();
  EXPECT_EQ(ip.OutOfRangeField(), -1);
}

class FixedWorkArea final : public ui::IWorkArea {
 public:
  QRect Rect() override { return {0, 0, 800, 570}; }
};

TEST(Services, TestsReplaceAndRestoreThem) {
  ui::Services replacement;
  replacement.workArea = std::make_shared<FixedWorkArea>();
  const ui::Services previous = ui::InstallServices(replacement);
  EXPECT_EQ(ui::WorkArea().Rect(), QRect(0, 0, 800, 570));
  EXPECT_TRUE(ui::DiskSpace().FreeBytes(QDir::tempPath()).has_value());
  ui::InstallServices(previous);
  EXPECT_NE(ui::WorkArea().Rect(), QRect());
}

}  // namespace
