// CEnterSysConfigDlg: the small dialog that fetches the server's whole configuration into the
// cached records before the configuration sheet opens. A worker fetches the fifteen records in
// order (the engine's loadConfigRecords) while the dialog animates its text; the records that
// arrived are stored into the cache on the GUI thread when the worker answers. The dialog ends
// with 1 when every record arrived and with 2 (after message 4029) at the first that did not.
#pragma once

#include <cstdint>

#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/config/engine/sys_conf_engine.h"

class CEnterSysConfigDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int { IDC_TEXT = 1434 };
  static constexpr int kAnimationTimer = 1000;
  static constexpr int kAnimationMs = 300;
  static constexpr int kResultLoaded = 1;
  static constexpr int kResultFailed = 2;

  // engine: what the dialog fetches the records through (the opener gives the program's).
  explicit CEnterSysConfigDlg(ports::SysConfEngine engine, QWidget* parent = nullptr);
  ~CEnterSysConfigDlg() override;

  int DoModal() override;

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
  // The worker's answer: the records that arrived go into the cache (those fetched before a
  // failure stay), and the dialog ends with 1 when all arrived, 2 otherwise.
  void OnLoadConfigDone(const FetchedConfigRecords& fetched);

  ports::SysConfEngine m_engine;
  ui::Worker m_worker;
};
