// What the two address books (CAddressBookListDlg and CAddressBookDialog) share: the entries of
// IPRecord.dat, the entry fields (user, address, port, remark) with their data exchange, and the
// panel under the list: the keys ADD, EDIT, DELETE, SELECT and CANCEL while browsing, the entry
// fields with OK (and CANCEL, where the book has one) while adding or editing. SELECT chooses
// the selected entry and ends with 100; without entries it says so and ends with -1.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <filesystem>

#include "ui/common/ui_dialog.h"
#include "ui/login/address_book_model.h"

namespace ui::login {

inline constexpr int kAddressBookChosen = 100;
inline constexpr int kAddressBookUnusable = -1;
// The browse panel's CANCEL has the framework's OK id.
inline constexpr int kAddressBookClose = 1;

// The ids of a book's panel; entryCancel 0 where the entry fields have no CANCEL.
struct AddressBookIds {
  int add;
  int edit;
  int remove;
  int select;
  int user;
  int address;
  int port;
  int remark;
  int entryOk;
  int entryCancel;
};

// A book's own shape of the panel.
struct AddressBookPanel {
  AddressBookIds ids;
  QRect place;
  int userChars;       // the user edit's width in characters
  QSize fieldSpacing;  // between the entry fields; -1: the style's
};

class AddressBookFrame : public ui::UiDialog {
  Q_OBJECT

 public:
  // The entry fields; after 100 they hold the chosen entry.
  QString m_strUser;
  QString m_strAddress;
  QString m_strPort;
  QString m_strRemark;
  int m_nPort = 0;  // the chosen entry's port

  enum class Mode { Browsing, Adding, Editing };
  Mode CurrentMode() const { return m_mode; }
  const AddressBookModel& Model() const { return m_model; }
  // The selected row; -1 when none.
  virtual int SelectedRow() const = 0;
  void InitForPicture() { OnInitDialog(); }

 protected:
  AddressBookFrame(std::filesystem::path file, app::CIPRecordFile::Writer writer,
                   const AddressBookPanel& panel, QWidget* parent);
  ~AddressBookFrame() override;

  // Makes the panel; the book calls it once its list is made, so the keys follow the list in
  // the focus order.
  void MakePanel();
  void DoDataExchange(ui::DataExchange& dx) override;
  // The browse panel's CANCEL (and Enter while browsing): reads the fields, ends with 1. Enter
  // while adding or editing is the entry's OK.
  void OnOK() override;
  void ShowEntryFields(bool show);
  // The entry of row into the fields (nothing for a row that does not exist).
  void FillFields(int row);

  void OnAdd();
  virtual void OnEdit() = 0;
  virtual void OnDelete() = 0;
  void OnSelect();
  virtual void OnEntryOk() = 0;
  virtual void OnEntryCancel() {}

  AddressBookModel m_model;
  Mode m_mode = Mode::Browsing;

 private:
  AddressBookPanel m_panel;
};

}  // namespace ui::login
