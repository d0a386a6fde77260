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
#include "ui/login/address_book_model.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using login_test::RunModalWith;
using ui::login::kAddressBookChosen;
using ui::login::kAddressBookUnusable;

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

// A book written by hand, the way another program may leave it: texts that fill their whole
// 128-byte field without a terminator, UTF-8 texts, and an empty remark.
Bytes HandMadeBook() {
  Bytes bytes(3 * 400, 0);
  const auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
      bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  const auto text = [&](std::size_t at, const std::string& t) {
    std::copy(t.begin(), t.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  };
  std::string wide;
  for (int i = 0; i < 64; ++i)
    wide += "\xC3\xA9";  // 64 e-acute, 128 bytes
  const struct {
    std::string user, address, remark;
    std::uint16_t port;
  } records[] = {
      {std::string(128, 'U'), "cam." + std::string(124, 'a'), std::string(128, 'R'), 8080},
      {"admin", "10.0.0.1", wide, 80},
      {wide, "10.0.0.3", "", 554}};
  for (std::size_t r = 0; r < 3; ++r) {
    const std::size_t at = r * 400;
    put32(at, 0x12121212u);
    text(at + 4, records[r].user);
    put32(at + 132, 0x4C4C4C4Cu);
    text(at + 136, records[r].address);
    put32(at + 264, 0x8A8A8A8Au);
    text(at + 268, records[r].remark);
    bytes[at + 396] = static_cast<std::uint8_t>(records[r].port);
    bytes[at + 397] = static_cast<std::uint8_t>(records[r].port >> 8);
  }
  return bytes;
}

// The 128 bytes of a record's text field.
std::string FieldAt(const Bytes& bytes, std::size_t record, std::size_t offset) {
  const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(record * 400 + offset);
  return std::string(begin, begin + 128);
}

TEST_F(AddressBookTest, FullWidthTextsAreShownWholeAndAnUnchangedCloseKeepsTheFile) {
  const Bytes book = HandMadeBook();
  ASSERT_TRUE(platform::WriteFileAtomically(File(), book));
  {
    CAddressBookListDlg dialog(File());
    EXPECT_EQ(RunModalWith(dialog,
                           [&] {
                             EXPECT_EQ(Column(dialog, 0)[0], QString(128, QLatin1Char('U')));
                             EXPECT_EQ(Column(dialog, 1)[0].size(), 128);
                             EXPECT_EQ(Column(dialog, 3)[0], QString(128, QLatin1Char('R')));
                             EXPECT_EQ(Column(dialog, 3)[1], QString(64, QChar(0xE9)));
                             ClickRow(dialog, 2);
                             Click(dialog, IDC_ADDRESS_CLOSE);
                           }),
              1);
  }
  EXPECT_EQ(platform::ReadWholeFile(File()), book);
  {
    CAddressBookDialog dialog(File());
    dialog.InitForPicture();
    auto* users = qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_USER_LIST));
    EXPECT_EQ(users->item(0)->text(), QString(128, QLatin1Char('U')));
    EXPECT_EQ(users->item(2)->text(), QString(64, QChar(0xE9)));
    users->setCurrentRow(1);
  }
  EXPECT_EQ(platform::ReadWholeFile(File()), book);
}

TEST_F(AddressBookTest, AnEditKeepsTheTextsLeftAloneAndStoresTheTypedOnesInTheirField) {
  const Bytes book = HandMadeBook();
  ASSERT_TRUE(platform::WriteFileAtomically(File(), book));
  {
    CAddressBookListDlg dialog(File());
    dialog.InitForPicture();
    // Only the port of the first entry changes: its full-width texts stay whole.
    ClickRow(dialog, 0);
    Click(dialog, IDC_ADDRESS_EDIT);
    Type(dialog, IDC_ADDRESS_PORT, QStringLiteral("81"));
    Click(dialog, IDC_ADDRESS_ENTRY_OK);
    // A new remark for the second entry; its user name is left alone.
    ClickRow(dialog, 1);
    Click(dialog, IDC_ADDRESS_EDIT);
    Type(dialog, IDC_ADDRESS_REMARK, QStringLiteral("lab"));
    Click(dialog, IDC_ADDRESS_ENTRY_OK);
    EXPECT_EQ(Column(dialog, 3)[1], QStringLiteral("lab"));
  }
  Bytes saved = platform::ReadWholeFile(File()).value_or(Bytes{});
  ASSERT_EQ(saved.size(), book.size());
  for (const std::size_t offset : {std::size_t{4}, std::size_t{136}, std::size_t{268}})
    EXPECT_EQ(FieldAt(saved, 0, offset), FieldAt(book, 0, offset)) << offset;
  EXPECT_EQ(saved[396] | (saved[397] << 8), 81);
  EXPECT_EQ(FieldAt(saved, 1, 268), "lab" + std::string(125, '\0'));
  EXPECT_EQ(FieldAt(saved, 1, 4), FieldAt(book, 1, 4));
  EXPECT_EQ(std::vector(saved.begin() + 800, saved.end()),
            std::vector(book.begin() + 800, book.end()));

  // The old dialog's narrower user edit (15 characters) also leaves the whole name alone.
  {
    CAddressBookDialog dialog(File());
    dialog.InitForPicture();
    qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_USER_LIST))->setCurrentRow(2);
    Click(dialog, IDC_OLDBOOK_EDIT);
    Type(dialog, IDC_OLDBOOK_PORT, QStringLiteral("555"));
    Click(dialog, IDC_OLDBOOK_ENTRY_OK);
    qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_OLDBOOK_USER_LIST))->setCurrentRow(0);
    Click(dialog, IDC_OLDBOOK_EDIT);
    Type(dialog, IDC_OLDBOOK_USER, QStringLiteral("operator"));
    Click(dialog, IDC_OLDBOOK_ENTRY_OK);
  }
  saved = platform::ReadWholeFile(File()).value_or(Bytes{});
  ASSERT_EQ(saved.size(), book.size());
  EXPECT_EQ(FieldAt(saved, 2, 4), FieldAt(book, 2, 4));
  EXPECT_EQ(saved[800 + 396] | (saved[800 + 397] << 8), 555);
  EXPECT_EQ(FieldAt(saved, 0, 4), "operator" + std::string(120, '\0'));
  EXPECT_EQ(FieldAt(saved, 0, 268), FieldAt(book, 0, 268));
}

TEST(AddressBookTexts, TypedTextsEndWithinTheirFieldAndUntouchedOnesStayWhole) {
  using ui::login::EditedText;
  using ui::login::StoredText;
  EXPECT_EQ(StoredText(QStringLiteral("admin")), "admin");
  EXPECT_EQ(StoredText(QString(200, QLatin1Char('x'))), std::string(127, 'x'));
  // 127 bytes would end inside the 64th e-acute: the cut keeps whole characters.
  EXPECT_EQ(StoredText(QString(64, QChar(0xE9))).size(), 126u);
  EXPECT_EQ(StoredText(QString(63, QChar(0xE9))).size(), 126u);
  const std::string whole(128, 'U');
  EXPECT_EQ(EditedText(QString(31, QLatin1Char('U')), whole, 31), whole);
  EXPECT_EQ(EditedText(QString(128, QLatin1Char('U')), whole, -1), whole);
  EXPECT_EQ(EditedText(QString(30, QLatin1Char('U')), whole, 31), std::string(30, 'U'));
  EXPECT_EQ(EditedText(QStringLiteral("new"), "old", 31), "new");
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
