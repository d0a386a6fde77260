// CAddressBookListDlg ("Address Book"): the servers the operator logs in to, one row each (user,
// address, port, remark), kept in IPRecord.dat. ADD and EDIT open the entry fields with OK and
// CANCEL; SELECT (or a double click) chooses the selected entry and ends with 100. The dialog
// ends with -1 when the file cannot be opened or is bad (the file is then left as it is), 1
// after its CANCEL button (the framework's OK id) and 2 on Escape. The file is rewritten when the
// dialog object goes.
#pragma once

#include <QString>
#include <filesystem>

#include "ui/common/ui_dialog.h"
#include "ui/login/address_book_model.h"

inline constexpr int kAddressBookChosen = 100;
inline constexpr int kAddressBookUnusable = -1;

inline constexpr int IDC_ADDRESS_LIST = 1413;
inline constexpr int IDC_ADDRESS_ADD = 1414;
inline constexpr int IDC_ADDRESS_DELETE = 1415;
inline constexpr int IDC_ADDRESS_EDIT = 1416;
inline constexpr int IDC_ADDRESS_SELECT = 1417;
inline constexpr int IDC_ADDRESS_USER = 1418;
inline constexpr int IDC_ADDRESS_ADDRESS = 1419;
inline constexpr int IDC_ADDRESS_PORT = 1420;
inline constexpr int IDC_ADDRESS_REMARK = 1421;
inline constexpr int IDC_ADDRESS_ENTRY_OK = 1422;
inline constexpr int IDC_ADDRESS_ENTRY_CANCEL = 1245;
inline constexpr int IDC_ADDRESS_CLOSE = 1;  // the "CANCEL" button with the framework's OK id

namespace ui {
class ListCtrl;
}
class QLabel;

class CAddressBookListDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CAddressBookListDlg(std::filesystem::path file, QWidget* parent = nullptr,
                               app::CIPRecordFile::Writer writer = {});
  ~CAddressBookListDlg() override;

  // The entry fields; after 100 they hold the chosen entry.
  QString m_strUser;
  QString m_strAddress;
  QString m_strPort;
  QString m_strRemark;
  int m_nPort = 0;  // the chosen entry's port

  enum class Mode { Browsing, Adding, Editing };
  Mode CurrentMode() const { return m_mode; }
  int SelectedRow() const { return m_nSelected; }
  const ui::login::AddressBookModel& Model() const { return m_model; }
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // The CANCEL button with id 1 (and Enter while browsing): reads the fields, ends with 1.
  // Enter while adding or editing is the entry's OK.
  void OnOK() override;

 private:
  void OnListClick();
  void OnAdd();
  void OnEdit();
  void OnEntryOk();
  void OnEntryCancel();
  void OnDelete();
  void OnSelect();
  void ShowEntryFields(bool show);
  void FillFields(int row);
  void FillRow(int row);

  ui::login::AddressBookModel m_model;
  ui::ListCtrl* m_pList = nullptr;
  Mode m_mode = Mode::Browsing;
  int m_nSelected = -1;
};
