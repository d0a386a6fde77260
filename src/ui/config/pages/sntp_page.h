// The SNTP page: the time server (empty: automatic) and the time zone, loaded from the SNTP
// record; the sheet writes the record back. "Sync Server Time" asks the server to set its clock
// now: the request (up to 5 s per wait) runs on a worker whose answer comes back to the page;
// the sheet closing stops it, and the answer of a stopped request changes nothing.
#pragma once

#include <cstdint>

#include "ui/common/worker.h"
#include "ui/config/pages/sys_conf_page.h"

class CSNTPPage : public CSysConfPage {
 public:
  enum : int {
    IDC_TIME_SERVER = 1040,
    IDC_TIME_ZONE = 1195,
    IDC_AUTOMATIC = 1401,
    IDC_MANUAL = 1402,
    IDC_SYNC_SERVER_TIME = 1433,
  };

  CSNTPPage();
  ~CSNTPPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Sends "/SyncServerTime.cgi" on the worker, the key disabled until it ends; a press while
  // one runs is ignored.
  void OnSyncServerTime();
  bool Syncing() const { return m_worker.IsRunning(); }
  const ui::Worker& SyncWorker() const { return m_worker; }

  QString m_strTimeServer;
  // Row of the zone list; -1 when the record holds a row the list does not have.
  int m_nTimeZone = -1;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowManual(bool manual);
  void EndSync();
  // The worker's answer (the sender's result): anything but success shows message 4065.
  void OnSyncDone(int result);

  // Tied to the page's window: the sheet closing (also after a lost connection) ends a request,
  // and its answer is not awaited.
  ui::Worker m_worker;
};
