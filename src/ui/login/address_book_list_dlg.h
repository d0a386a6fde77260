// CAddressBookListDlg ("Address Book"): the servers the operator logs in to, one row each (user,
// address, port, remark), kept in IPRecord.dat. ADD and EDIT open the entry fields with OK and
// CANCEL; SELECT (or a double click) chooses the selected entry and ends with 100. The dialog
// ends with -1 when the file cannot be opened or is bad (the file is then left as it is), 1
// after its CANCEL button (the framework's OK id) and 2 on Escape. The file is rewritten when the
// dialog object goes.
#pragma once

#include <filesystem>

#include "ui/login/address_book_frame.h"

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
inline constexpr int IDC_ADDRESS_CLOSE = ui::login::kAddressBookClose;

namespace ui {
class ListCtrl;
}

class CAddressBookListDlg : public ui::login::AddressBookFrame {
  Q_OBJECT

 public:
  explicit CAddressBookListDlg(std::filesystem::path file, QWidget* parent = nullptr,
                               app::CIPRecordFile::Writer writer = {});
  ~CAddressBookListDlg() override;

  int SelectedRow() const override { return m_nSelected; }

 protected:
  bool OnInitDialog() override;

 private:
  void OnListClick();
  void OnEdit() override;
  void OnEntryOk() override;
  void OnEntryCancel() override;
  void OnDelete() override;
  void FillRow(int row);

  ui::ListCtrl* m_pList = nullptr;
  int m_nSelected = -1;
};
