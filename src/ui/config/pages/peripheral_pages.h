// The Peripheral page: for each of the server's two RS485 channels the attached device's id,
// model (a loaded entry of the device-command table) and baud rate, and the turbo step (how
// often a panel command repeats), from the RS485 record. Opening the page already hands the
// ids and models to the live ports, so the panel's commands use them at once; the sheet writes
// the record back when it applies. CQ4TPeripheral is a read-only variant for one family of
// recorders that no window shows.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "ui/config/pages/sys_conf_page.h"

namespace syscfg {

// Baud-rate rows: 0 none (empty), 1 4800, 2 9600, 3 19200, 4 38400, 5 57600, 6 115200.
int BaudRow(std::uint32_t baud);  // a rate without a row -> 0
// The rate a row writes: any row but 1..6 writes 2400.
std::uint32_t BaudOfRow(int row);

// The model rows: the device kinds of the command table that are loaded, in table order, each
// row with its kind (the device type the record and the ports hold).
struct DeviceRows {
  std::vector<std::uint8_t> types;
  std::vector<QString> names;
  // The row of a type: its own row when loaded, else the last row; -1 with no row at all.
  int RowOf(std::uint8_t type) const;
  // The type of a row; -1 for no row.
  int TypeOf(int row) const;
};
// The rows of the program's device-command table now.
DeviceRows LoadedDeviceRows();

// The recorder kind of CQ4TPeripheral by the server's device-type code; empty for others.
QString RecorderKindText(std::uint8_t deviceType);

}  // namespace syscfg

class CPeripheralPage : public CSysConfPage {
 public:
  enum : int {
    IDC_ID1 = 1040,
    IDC_ID2 = 1041,
    IDC_TURBO = 1195,
    IDC_BAUD1 = 1301,
    IDC_MODEL1 = 1302,
    IDC_MODEL2 = 1303,
    IDC_BAUD2 = 1304,
  };

  CPeripheralPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  // Rows picked on the page (-1: none); the ids as typed.
  int m_nBaud1 = 0;
  int m_nModel1 = -1;
  std::uint32_t m_dwId2 = 0;
  std::uint32_t m_dwId1 = 0;
  int m_nModel2 = -1;
  int m_nBaud2 = 0;
  int m_nTurbo = -1;
  // The model rows of this run.
  syscfg::DeviceRows m_Rows;

 protected:
  void CreateControls(QWidget* window) override;
};

class CQ4TPeripheral : public ui::CPropertyPage {
 public:
  enum : int { IDC_ID = 1040, IDC_MODEL = 1041 };

  CQ4TPeripheral();
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  QString m_strModel;
  QString m_strId;

 protected:
  void CreateControls(QWidget* window) override;
};
