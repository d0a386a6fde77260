// CAddressBookDialog ("IP Address Book"): the older address-book dialog over the same file,
// built on four list boxes (user, address, port, remark) that select and scroll together under
// one scroll bar. Its buttons work as those of CAddressBookListDlg. No window of the program
// opens it.
#pragma once

#include <QString>
#include <array>
#include <filesystem>

#include "ui/common/ui_dialog.h"
#include "ui/login/address_book_model.h"

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

class CAddressBookDialog : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CAddressBookDialog(std::filesystem::path file, QWidget* parent = nullptr,
                              app::CIPRecordFile::Writer writer = {});
  ~CAddressBookDialog() override;

  QString m_strUser;
  QString m_strAddress;
  QString m_strPort;
  QString m_strRemark;
  int m_nPort = 0;

  int SelectedRow() const;
  // The row each list box shows at its top.
  std::array<int, 4> TopRows() const;
  const ui::login::AddressBookModel& Model() const { return m_model; }
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnOK() override;

 private:
  enum class Mode { Browsing, Adding, Editing };
  void Fill();
  void SelectRow(int row);
  void ScrollTo(int row);
  void ShowEntryFields(bool show);
  void FillFields(int row);
  void OnAdd();
  void OnEdit();
  void OnEntryOk();
  void OnDelete();
  void OnSelect();

  ui::login::AddressBookModel m_model;
  std::array<QListWidget*, 4> m_lists{};  // user, address, port, remark
  QScrollBar* m_pScroll = nullptr;
  Mode m_mode = Mode::Browsing;
  bool m_syncing = false;
};
