// The Information page: the server's host name (the SYSTEM record, which the sheet writes back)
// and the users logged in to the server, with their address, level and the media they
// receive, fetched with "/GetOnlineUser.cgi". The query (up to 5 s per wait) runs on a worker
// when the page is first shown and on "Info Refresh"; the worker hands its reply to the page,
// which stores and lists it. The sheet closing stops the query, and a worker abandoned
// meanwhile changes nothing.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/common/worker.h"
#include "ui/config/pages/sys_conf_page.h"

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
  ~COnlineUserPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // "Info Refresh": queries again (ignored while a query runs); a failure leaves the list as
  // it was.
  void OnRefresh();
  bool Querying() const { return m_worker.IsRunning(); }
  const ui::Worker& QueryWorker() const { return m_worker; }

  QString m_strHostName;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  // Starts the query on the worker and disables "Info Refresh" until it ends.
  void StartQuery();
  void EndQuery();
  // The worker's answer: the reply is stored and listed; a failure (no reply, or one the
  // database refuses) shows one message (4029).
  void OnQueryDone(std::optional<std::vector<std::uint8_t>> reply);
  void Fill();

  // Tied to the page's window: the sheet closing (also after a lost connection) ends a query,
  // and its answer is not awaited.
  ui::Worker m_worker;
};
