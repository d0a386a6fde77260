// The SNTP page: the time server (empty: automatic) and the time zone, loaded from the SNTP
// record; the sheet writes the record back. "Sync Server Time" asks the server to set its clock
// now.
#pragma once

#include <cstdint>

#include "ui/config/sys_conf_page.h"

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

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Sends "/SyncServerTime.cgi"; any result but success shows message 4065.
  void OnSyncServerTime();

  QString m_strTimeServer;
  // Row of the zone list; -1 when the record holds a row the list does not have.
  int m_nTimeZone = -1;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowManual(bool manual);
};
