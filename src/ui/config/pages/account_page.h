// The Account page: the server's user accounts (at most ten, each with a name, a password, a
// level and a session life time) and the maximum number of users, from the SECURE record. The
// page edits a working copy in the data block's account list; the sheet writes it back into
// the SECURE record when it applies.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

#include "app/account_table.h"
#include "ui/config/pages/sys_conf_page.h"

namespace ui {
class ListCtrl;
}

namespace syscfg {

inline constexpr std::size_t kAccountSlots = 10;
inline constexpr int kAccountTextBytes = 15;
inline constexpr std::uint32_t kNoLifeLimit = 0xFFFFFFFFu;

// Level texts: 0 "GUEST", 10 "NORMAL USER", 20 "HIGH USER", 30 and any other "SUPERVISOR".
QString AccountLevelText(std::uint32_t level);
// Life-time texts: "INFINITY", "1 DAY", "1 HOUR", else "<minutes> MIN".
QString AccountLifeTimeText(std::uint32_t minutes);
// Combo rows and their values: levels 30, 20, 10, 0; life times 1, 5, 10, 60, 1440, none.
int LevelRow(std::uint32_t level);       // 30 -> 0, 20 -> 1, 10 -> 2, other -> 3
std::uint16_t LevelOfRow(int row);       // -1 for no row is never asked
int LifeTimeRow(std::uint32_t minutes);  // 1 -> 0 ... 1440 -> 4, other -> 5
std::uint32_t LifeTimeOfRow(int row);
// A name or password a login request can carry: not empty, no control character, blank, "&"
// or "#".
bool IsAccountTextSendable(const QString& text);

}  // namespace syscfg

class AccountPropertyPage : public CSysConfPage {
 public:
  enum : int {
    IDC_MAX_USERS = 1040,
    IDC_USER = 1041,
    IDC_PASSWORD = 1042,
    IDC_EXIT = 1068,
    IDC_LIST = 1284,
    IDC_ADD = 1285,
    IDC_DELETE = 1286,
    IDC_EDIT = 1287,
    IDC_ENTRY_OK = 1288,
    IDC_USER_LABEL = 1289,
    IDC_PASSWORD_LABEL = 1290,
    IDC_LEVEL = 1291,
    IDC_LIFE_TIME_LABEL = 1292,
    IDC_LEVEL_LABEL = 1293,
    IDC_LIFE_TIME = 1294,
  };
  enum EntryMode : int { kEditMode = 0, kAddMode = 1 };
  static constexpr const char* kUnsendableText =
      "The user name and the password cannot be empty or hold a blank, '&', '#' or a control "
      "character.";

  AccountPropertyPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Besides the page's data: a maximum outside 1..10 refuses APPLY (message 4043) when the
  // SECURE record would be sent.
  bool CheckForApply() override;

  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnEntryOk();
  void OnEntryExit();
  // Digits only; 0 or above 10 warns with message 4043.
  void OnMaxUsersEdited();

  // The accounts listed (the used working accounts, in order).
  int m_nCount = 0;
  int m_nMode = kAddMode;
  bool m_bChanged = false;
  std::uint16_t m_wMaxUsers = 0;
  int m_nLevel = -1;
  int m_nLifeTime = -1;
  QString m_strUser;
  QString m_strPassword;
  // The working account of the user logged in now (-1: none listed), and the new name and
  // password for the client when that account was edited: the client takes them only once the
  // server has accepted the SECURE record.
  int m_nLoginAccount = -1;
  std::optional<std::pair<std::string, std::string>> m_PendingLogin;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  ui::ListCtrl* List();
  void ShowEntry(bool show);
  void SetRow(int row, const WorkingAccount& account);
};
