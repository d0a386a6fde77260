// The Information page: the server's host name (the SYSTEM record, which the sheet writes back)
// and the users logged in to the server, with their address, level and the media they
// receive, fetched with "/GetOnlineUser.cgi" by the alarm database's online-user query.
#pragma once

#include <QString>
#include <cstdint>

#include "ui/config/sys_conf_page.h"

struct OnlineUser;

namespace syscfg {
inline constexpr int kHostNameBytes = 31;
// "%d.%d.%d.%d" of the entry's four address bytes in the order they travel; empty for 0.
QString OnlineAddressText(std::uint32_t address);
// "GUEST", "NORMAL USER", "HIGH USER", "SUPERVISOR" for 0, 10, 20, 30; empty otherwise.
QString OnlineLevelText(std::uint32_t level);
// The media text of the flags (bit 0 MPEG-4, bit 1 JPEG, bit 2 audio): MPEG-4 wins over JPEG,
// audio is joined with " / "; no bit "UNKNOWN".
QString OnlineMediaText(std::uint32_t flags);
// The entry's name within its 16 bytes.
QString OnlineUserName(const OnlineUser& user);
}  // namespace syscfg

class COnlineUserPage : public CSysConfPage {
 public:
  enum : int { IDC_HOST_NAME = 1040, IDC_REFRESH = 1311, IDC_LIST = 1349 };

  COnlineUserPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // "Info Refresh": queries again; a failure leaves the list as it was.
  void OnRefresh();

  QString m_strHostName;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  // Queries the table (one message, 4029, on a failure); true when it arrived.
  bool Query();
  void Fill();
};
