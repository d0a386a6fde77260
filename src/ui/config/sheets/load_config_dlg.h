// CEnterSysConfigDlg: the small dialog that fetches the server's whole configuration into the
// cached records before the configuration sheet opens. A worker fetches the fifteen records in
// order while the dialog animates its text; the dialog ends with 1 when every record arrived and
// with 2 (after message 4029) at the first that did not.
#pragma once

#include <cstdint>

#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"

// The fetch order and sizes: IP, SMTP, FTP, SECURE, DNS, PPPOE, SYSTEM, SNTP, IMG, SNTP again,
// WLAN, TRIGGER, RS485, PENTA, INF.
struct ConfigFetch {
  std::uint8_t option;
  std::uint32_t size;
};
inline constexpr ConfigFetch kConfigFetchOrder[] = {
    {2, 24},  {5, 516}, {6, 104},  {3, 408}, {4, 124}, {7, 100},  {8, 36}, {9, 40},
    {10, 12}, {9, 40},  {11, 104}, {13, 12}, {12, 20}, {14, 156}, {1, 56}};

// Fetches each record of kConfigFetchOrder into its cached place, stopping at the first
// failure (the records fetched before it stay). 1 when all arrived, 2 otherwise.
std::uint32_t LoadConfigRecords(const platform::StopToken& stop);

class CEnterSysConfigDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int { IDC_TEXT = 1434 };
  static constexpr int kAnimationTimer = 1000;
  static constexpr int kAnimationMs = 300;
  static constexpr int kResultLoaded = 1;
  static constexpr int kResultFailed = 2;

  explicit CEnterSysConfigDlg(QWidget* parent = nullptr);
  ~CEnterSysConfigDlg() override;

  int DoModal() override;
  // The worker's body; tests replace it (result 1 or 2).
  void SetLoader(std::function<std::uint32_t(const platform::StopToken&)> loader) {
    m_loader = std::move(loader);
  }

  // The text shown and the tick counter (kept between runs).
  QString m_strText;
  std::uint32_t m_nCounter = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnTimer(int id) override;
  // The dialog ends when the worker has answered, not by a key.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  // The worker's answer (1 or 2): the dialog ends with it.
  void OnLoadConfigDone(std::uint32_t result);

  ui::Worker m_worker;
  std::function<std::uint32_t(const platform::StopToken&)> m_loader;
};
