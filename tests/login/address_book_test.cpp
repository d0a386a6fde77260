// The address-book dialogs over IPRecord.dat: opening good, short and bad files, their buttons
// and messages, and what the file holds after they close.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTreeWidget>

#include "app/ip_record.h"
#include "login_test_support.h"
#include "ui/common/list_ctrl.h"
#include "ui/login/address_book_dialog.h"
#include "ui/login/address_book_list_dlg.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using login_test::RunModalWith;

const std::vector<app::IPRecord> kThree = {{"admin", "10.0.0.1", "hall", 80},
                                           {"guest", "10.0.0.2", "", 8080},
                                           {"viewer", "cam.example.org", "roof", 554}};

class AddressBookTest : public login_test::LoginUiTest {
 protected:
  std::filesystem::path File() const { return m_folder / "IPRecord.dat"; }
  void WriteBook(const std::vector<app::IPRecord>& records) {
    ASSERT_TRUE(platform::WriteFileAtomically(File(), app::WriteIPRecords(records)));
  }
  std::vector<app::IPRecord> ReadBook() const {
    const auto bytes = platform::ReadWholeFile(File());
    if (!bytes)
      return {};
    return app::ReadIPRecords(*bytes).value_or(std::vector<app::IPRecord>{});
  }
  static void Click(ui::UiDialog& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog.GetDlgItem(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }
  static void Type(ui::UiDialog& dialog, int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
  }
  // A click on a row of the list (or on no row with -1).
  static void ClickRow(CAddressBookListDlg& dialog, int row) {
    auto* list = qobject_cast<ui::ListCtrl*>(dialog.GetDlgItem(IDC_ADDRESS_LIST));
    list->SelectItem(row);
    emit list->itemClicked(row >= 0 ? list->topLevelItem(row) : nullptr, 0);
  }
  static QStringList Column(CAddressBookListDlg& dialog, int column) {
    auto* list = qobject_cast<ui::ListCtrl*>(dialog.GetDlgItem(IDC_ADDRESS_LIST));
    QStringList texts;
    for (int r = 0; r < list->GetItemCount(); ++r)
      texts << list->GetItemText(r, column);
    return texts;
  }
};

TEST_F(AddressBookTest, OpensWithTheRowsAndTheFirstEntrySelected) {
  WriteBook(kThree);
  CAddressBookListDlg dialog(File());
  dialog.InitForPicture();
  EXPECT_EQ(Column(dialog, 0), (QStringList{"admin", "guest", "viewer"}));
  EXPECT_EQ(Column(dialog, 2), (QStringList{"80", "8080", "554"}));
  EXPECT_EQ(Column(dialog, 3), (QStringList{"hall", "", "roof"}));
  EXPECT_EQ(dialog.SelectedRow(), 0);
  EXPECT_EQ(dialog.m_strAddress, QStringLiteral("10.0.0.1"));
  EXPECT_FALSE(dialog.GetDlgItem(IDC_ADDRESS_USER)->isVisibleTo(&dialog));
  EXPECT_FALSE(dialog.GetDlgItem(IDC_ADDRESS_ENTRY_OK)->isVisibleTo(&dialog));
  EXPECT_TRUE(dialog.GetDlgItem(IDC_ADDRESS_ADD)->isVisibleTo(&dialog));
}

TEST_F(AddressBookTest, ABadFileEndsWithMinusOneAndKeepsItsBytes) {
  Bytes bytes = app::WriteIPRecords(kThree);
  bytes[400 + 132] ^= 0xFF;  // the second record's second check word
  ASSERT_TRUE(platform::WriteFileAtomically(File(), bytes));
  {
    CAddressBookListDlg dialog(File());
    EXPECT_EQ(dialog.DoModal(), kAddressBookUnusable);
    EXPECT_FALSE(dialog.WasShown());
  }
  EXPECT_EQ(platform::ReadWholeFile(File()), bytes);
}

TEST_F(AddressBookTest, A399ByteFileOpensEmptyAndIsSavedEmpty) {
  ASSERT_TRUE(platform::WriteFileAtomically(File(), Bytes(399, 0x12)));
  {
    CAddressBookListDlg dialog(File());
    EXPECT_EQ(RunModalWith(dialog, [&] { Click(dialog, IDC_ADDRESS_CLOSE); }), 1);
    EXPECT_EQ(dialog.Model().Count(), 0);
  }
  EXPECT_EQ(platform::ReadWholeFile(File()), Bytes{});
}

TEST_F(AddressBookTest, AddChecksItsFieldsAndEditTakesPortZero) {
  WriteBook(kThree);
  {
    CAddressBookListDlg dialog(File());
    dialog.InitForPicture();
    const struct {
      const char* user;
      const char* address;
      const char* port;
      int message;  // 0: added
    } adds[] = {{"", "10.0.0.9", "80", 4079},     {"new", "", "80", 4079},
                {"new", "10.0.0.9", "0", 4053},   {"new", "10.0.0.9", "70000", 4053},
                {"new", "10.0.0.9", "abc", 4053}, {"new", "10.0.0.9", "9000", 0}};
    for (const auto& add : adds) {
      SCOPED_TRACE(std::string(add.user) + "/" + add.address + "/" + add.port);
      const std::size_t before = m_box->Count();
      Click(dialog, IDC_ADDRESS_ADD);
      EXPECT_EQ(dialog.CurrentMode(), CAddressBookListDlg::Mode::Adding);
      EXPECT_TRUE(dialog.GetDlgItem(IDC_ADDRESS_USER)->isVisibleTo(&dialog));
      EXPECT_FALSE(dialog.GetDlgItem(IDC_ADDRESS_SELECT)->isVisibleTo(&dialog));
      Type(dialog, IDC_ADDRESS_USER, QString::fromLatin1(add.user));
      Type(dialog, IDC_ADDRESS_ADDRESS, QString::fromLatin1(add.address));
      Type(dialog, IDC_ADDRESS_PORT, QString::fromLatin1(add.port));
      Type(dialog, IDC_ADDRESS_REMARK, QString());
      Click(dialog, IDC_ADDRESS_ENTRY_OK);
      EXPECT_EQ(dialog.CurrentMode(), CAddressBookListDlg::Mode::Browsing);
      if (add.message != 0) {
        ASSERT_EQ(m_box->Count(), before + 1);
        EXPECT_EQ(Boxes().back(), Text(add.message));
      } else {
        EXPECT_EQ(m_box->Count(), before);
      }
    }
    EXPECT_EQ(dialog.Model().Count(), 4);
    EXPECT_EQ(Column(dialog, 0).back(), QStringLiteral("new"));

    // Editing the second entry: port 0 is taken, a port that is no number is refused.
    ClickRow(dialog, 1);
    Click(dialog, IDC_ADDRESS_EDIT);
    EXPECT_EQ(dialog.CurrentMode(), CAddressBookListDlg::Mode::Editing);
    Type(dialog, IDC_ADDRESS_PORT, QStringLiteral("70000"));
    Click(dialog, IDC_ADDRESS_ENTRY_OK);
    EXPECT_EQ(Boxes().back(), Text(4053));
    EXPECT_EQ(Column(dialog, 2)[1], QStringLiteral("8080"));
    Click(dialog, IDC_ADDRESS_EDIT);
    Type(dialog, IDC_ADDRESS_PORT, QStringLiteral("0"));
    Type(dialog, IDC_ADDRESS_REMARK, QStringLiteral("lab"));
    Click(dialog, IDC_ADDRESS_ENTRY_OK);
    EXPECT_EQ(Column(dialog, 2)[1], QStringLiteral("0"));
    EXPECT_EQ(Column(dialog, 3)[1], QStringLiteral("lab"));
    // CANCEL of the entry changes nothing.
    Click(dialog, IDC_ADDRESS_EDIT);
    Type(dialog, IDC_ADDRESS_USER, QStringLiteral("nobody"));
    Click(dialog, IDC_ADDRESS_ENTRY_CANCEL);
    EXPECT_EQ(Column(dialog, 0)[1], QStringLiteral("guest"));
  }
  const auto saved = ReadBook();
  ASSERT_EQ(saved.size(), 4u);
  EXPECT_EQ(saved[1], (app::IPRecord{"guest", "10.0.0.2", "lab", 0}));
  EXPECT_EQ(saved[3], (app::IPRecord{"new", "10.0.0.9", "", 9000}));
}

TEST_F(AddressBookTest, DeletingTheLastRowSelectsTheOneAbove) {
  WriteBook(kThree);
  CAddressBookListDlg dialog(File());
  dialog.InitForPicture();
  ClickRow(dialog, 2);
  Click(dialog, IDC_ADDRESS_DELETE);
  EXPECT_EQ(Column(dialog, 0), (QStringList{"admin", "guest"}));
  EXPECT_EQ(dialog.SelectedRow(), 1);
  ClickRow(dialog, 0);
  Click(dialog, IDC_ADDRESS_DELETE);
  EXPECT_EQ(Column(dialog, 0), (QStringList{"guest"}));
  EXPECT_EQ(dialog.SelectedRow(), 0);
  Click(dialog, IDC_ADDRESS_DELETE);
  EXPECT_EQ(dialog.Model().Count(), 0);
  EXPECT_EQ(dialog.SelectedRow(), -1);
  // With no entries DELETE does nothing at all.
  Click(dialog, IDC_ADDRESS_DELETE);
  EXPECT_EQ(dialog.Model().Count(), 0);
  EXPECT_EQ(m_box->Count(), 0u);
}

TEST_F(AddressBookTest, DeleteEditAndSelectNeedASelectedRow) {
  WriteBook(kThree);
  CAddressBookListDlg dialog(File());
  dialog.InitForPicture();
  ClickRow(dialog, -1);  // a click on empty space
  Click(dialog, IDC_ADDRESS_DELETE);
  Click(dialog, IDC_ADDRESS_EDIT);
  Click(dialog, IDC_ADDRESS_SELECT);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{Text(4086), Text(4050), Text(4050)}));
  EXPECT_EQ(dialog.CurrentMode(), CAddressBookListDlg::Mode::Browsing);
  EXPECT_EQ(dialog.Model().Count(), 3);
}

TEST_F(AddressBookTest, SelectWithoutEntriesSaysSoAndEndsWithMinusOne) {
  CAddressBookListDlg dialog(File());
  EXPECT_EQ(RunModalWith(dialog, [&] { Click(dialog, IDC_ADDRESS_SELECT); }), kAddressBookUnusable);
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4037)});
}

TEST_F(AddressBookTest, SelectAndDoubleClickChooseTheEntry) {
  WriteBook(kThree);
  CAddressBookListDlg dialog(File());
  EXPECT_EQ(RunModalWith(dialog,
                         [&] {
                           ClickRow(dialog, 2);
                           Click(dialog, IDC_ADDRESS_SELECT);
                         }),
            kAddressBookChosen);
  EXPECT_EQ(dialog.m_strUser, QStringLiteral("viewer"));
  EXPECT_EQ(dialog.m_strAddress, QStringLiteral("cam.example.org"));
  EXPECT_EQ(dialog.m_nPort, 554);
  EXPECT_EQ(dialog.m_strRemark, QStringLiteral("roof"));

  CAddressBookListDlg again(File());
  EXPECT_EQ(RunModalWith(again,
                         [&] {
                           auto* list =
                               qobject_cast<QTreeWidget*>(again.GetDlgItem(IDC_ADDRESS_LIST));
                           ClickRow(again, 1);
                           emit list->itemDoubleClicked(list->topLevelItem(1), 0);
                         }),
            kAddressBookChosen);
  EXPECT_EQ(again.m_nPort, 8080);
}

TEST_F(AddressBookTest, TheFileIsSavedAfterCancelWithIdOneAndNotAfterEscapeLoss) {
  WriteBook(kThree);
  {
    CAddressBookListDlg dialog(File());
    EXPECT_EQ(RunModalWith(dialog,
                           [&] {
                             ClickRow(dialog, 0);
                             Click(dialog, IDC_ADDRESS_DELETE);
                             Click(dialog, IDC_ADDRESS_CLOSE);
                           }),
              1);
  }
  EXPECT_EQ(ReadBook().size(), 2u);
  {
    CAddressBookListDlg dialog(File());
    EXPECT_EQ(RunModalWith(dialog,
                           [&] {
                             ClickRow(dialog, 0);
                             Click(dialog, IDC_ADDRESS_DELETE);
                             dialog.EndDialog(ui::IDCANCEL);  // Escape or the close box
                           }),
              ui::IDCANCEL);
  }
  // The dialog closed normally: its entries are written as they stand.
  EXPECT_EQ(ReadBook().size(), 1u);
}

TEST_F(AddressBookTest, AFailedSaveKeepsTheOldBytes) {
  WriteBook(kThree);
  const auto old = platform::ReadWholeFile(File());
  {
    // The folder refuses the new file (as a read-only folder would).
    CAddressBookListDlg dialog(
        File(), nullptr,
        [](const std::filesystem::path&, std::span<const std::uint8_t>) { return false; });
    dialog.InitForPicture();
    ClickRow(dialog, 0);
    Click(dialog, IDC_ADDRESS_DELETE);
  }
  EXPECT_EQ(platform::ReadWholeFile(File()), old);
}

TEST_F(AddressBookTest, OldDialogMovesItsListBoxesTogether) {
  std::vector<app::IPRecord> many;
  for (int i = 0; i < 30; ++i)
    many.push_back({"user" + std::to_string(i), "10.0.1." + std::to_string(i), "", 80});
  WriteBook(many);
  CAddressBookDialog dialog(File());
  dialog.InitForPicture();
  dialog.show();
  auto* scroll = qobject_cast<QScrollBar*>(dialog.GetDlgItem(IDC_OLDBOOK_SCROLL));
  ASSERT_NE(scroll, nullptr);
  EXPECT_TRUE(scroll->isEnabled());
  EXPECT_EQ(scroll->maximum(), 29);
  // A row chosen in the port list is chosen in the other three.
  qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_PORT_LIST))->setCurrentRow(4);
  EXPECT_EQ(dialog.SelectedRow(), 4);
  EXPECT_EQ(qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_REMARK_LIST))->currentRow(),
            4);
  EXPECT_EQ(dialog.m_strUser, QStringLiteral("user4"));
  // Page down moves every list by five rows.
  scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(scroll->value(), 5);
  const auto tops = dialog.TopRows();
  EXPECT_EQ(tops, (std::array<int, 4>{5, 5, 5, 5}));
  scroll->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(scroll->value(), 29);
  dialog.hide();
}

TEST_F(AddressBookTest, OldDialogButtonsAndItsScrollBarFromElevenEntries) {
  std::vector<app::IPRecord> ten(10, app::IPRecord{"u", "10.0.0.1", "", 80});
  WriteBook(ten);
  {
    CAddressBookDialog dialog(File());
    dialog.InitForPicture();
    EXPECT_FALSE(dialog.GetDlgItem(IDC_OLDBOOK_SCROLL)->isEnabled());
    Click(dialog, IDC_OLDBOOK_ADD);
    Type(dialog, IDC_OLDBOOK_USER, QStringLiteral("eleventh"));
    Type(dialog, IDC_OLDBOOK_ADDRESS, QStringLiteral("10.0.0.11"));
    Type(dialog, IDC_OLDBOOK_PORT, QStringLiteral("0"));
    Click(dialog, IDC_OLDBOOK_ENTRY_OK);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4053)});
    Click(dialog, IDC_OLDBOOK_ADD);
    Type(dialog, IDC_OLDBOOK_PORT, QStringLiteral("81"));
    Click(dialog, IDC_OLDBOOK_ENTRY_OK);
    EXPECT_EQ(dialog.Model().Count(), 11);
    EXPECT_TRUE(dialog.GetDlgItem(IDC_OLDBOOK_SCROLL)->isEnabled());
    qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_USER_LIST))->setCurrentRow(-1);
    Click(dialog, IDC_OLDBOOK_DELETE);
    Click(dialog, IDC_OLDBOOK_EDIT);
    EXPECT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[1], Text(4052));
    EXPECT_EQ(Boxes()[2], Text(4052));
    qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_USER_LIST))->setCurrentRow(10);
    Click(dialog, IDC_OLDBOOK_SELECT);
    EXPECT_EQ(dialog.result(), kAddressBookChosen);
    EXPECT_EQ(dialog.m_strUser, QStringLiteral("eleventh"));
    EXPECT_EQ(dialog.m_nPort, 81);
  }
  EXPECT_EQ(ReadBook().size(), 11u);
}

}  // namespace
