// CAddressBookDialog ("IP Address Book"): the older address-book dialog over the same file,
// built on four list boxes (user, address, port, remark) that select and scroll together under
// one scroll bar. Its buttons work as those of CAddressBookListDlg. No window of the program
// opens it.
#pragma once

#include <array>
#include <filesystem>

#include "ui/login/address_book_frame.h"

inline constexpr int IDC_OLDBOOK_USER_LIST = 1232;
inline constexpr int IDC_OLDBOOK_ADDRESS_LIST = 1233;
inline constexpr int IDC_OLDBOOK_SCROLL = 1234;
inline constexpr int IDC_OLDBOOK_REMARK_LIST = 1235;
inline constexpr int IDC_OLDBOOK_PORT_LIST = 1242;
inline constexpr int IDC_OLDBOOK_USER = 1238;
inline constexpr int IDC_OLDBOOK_ADDRESS = 1042;
inline constexpr int IDC_OLDBOOK_PORT = 1240;
inline constexpr int IDC_OLDBOOK_REMARK = 1239;
inline constexpr int IDC_OLDBOOK_ADD = 1118;
inline constexpr int IDC_OLDBOOK_DELETE = 1117;
inline constexpr int IDC_OLDBOOK_EDIT = 1119;
inline constexpr int IDC_OLDBOOK_SELECT = 1029;
inline constexpr int IDC_OLDBOOK_ENTRY_OK = 1244;
// The scroll bar is enabled from this many entries on.
inline constexpr int kOldBookScrollFrom = 11;

class QListWidget;
class QScrollBar;

class CAddressBookDialog : public ui::login::AddressBookFrame {
  Q_OBJECT

 public:
  explicit CAddressBookDialog(std::filesystem::path file, QWidget* parent = nullptr,
                              app::CIPRecordFile::Writer writer = {});
  ~CAddressBookDialog() override;

  int SelectedRow() const override;
  // The row each list box shows at its top.
  std::array<int, 4> TopRows() const;

 protected:
  bool OnInitDialog() override;

 private:
  void Fill();
  void SelectRow(int row);
  void ScrollTo(int row);
  void OnEdit() override;
  void OnEntryOk() override;
  void OnDelete() override;

  std::array<QListWidget*, 4> m_lists{};  // user, address, port, remark
  QScrollBar* m_pScroll = nullptr;
  bool m_syncing = false;
};
