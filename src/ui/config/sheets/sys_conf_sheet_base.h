// What the two configuration sheets share: the page code of the page shown last, the mirror of
// the records, the device-type-changed flag, the folders, the seventeen pages and the apply
// steps. CSysConfPropSheet (the tree sheet the main window opens) and MySystemDialog (a plain
// tabbed sheet) each derive from their property sheet and from this base, and run the same ten
// apply steps in their own orders.
#pragma once

#include <QString>
#include <coroutine>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "ui/common/worker.h"
#include "ui/config/apply/apply_task.h"
#include "ui/config/engine/sys_conf_engine.h"
#include "ui/config/pages/account_page.h"
#include "ui/config/pages/alarm_data_page.h"
#include "ui/config/pages/alarm_pages.h"
#include "ui/config/pages/dns_page.h"
#include "ui/config/pages/ftp_page.h"
#include "ui/config/pages/log_page.h"
#include "ui/config/pages/mail_page.h"
#include "ui/config/pages/network_page.h"
#include "ui/config/pages/online_user_page.h"
#include "ui/config/pages/penta_pages.h"
#include "ui/config/pages/peripheral_pages.h"
#include "ui/config/pages/schedule_page.h"
#include "ui/config/pages/sntp_page.h"
#include "ui/config/pages/toolbox_record_pages.h"
#include "ui/config/records/sys_conf_mirror.h"

namespace ui {
class CPropertySheet;
}

// The local folders the sheet shows and edits: records, snapshots and the alarm sound.
struct SysConfFolders {
  QString record;
  QString snapshot;
  QString alarmSound;
  friend bool operator==(const SysConfFolders&, const SysConfFolders&) = default;
};

// The failure text of the SECURE and PENTA sends.
inline constexpr const char* kSetSysConfigFailedText = "Set the system config is failed\n";

// The ten apply steps.
enum class SysConfApplyStep {
  kDns,
  kTrigger,
  kMail,
  kFtp,
  kSntp,
  kAccount,
  kPeripheral,
  kSystem,
  kNetwork,
  kVideo,
};

class CSysConfSheetBase {
 public:
  // The sheets' own keys, and what their runs end with.
  enum : int { IDC_EXIT = 8000, IDC_APPLY = 8001, IDC_REBOOT = 8002 };
  static constexpr int kResultApplied = 3;
  static constexpr int kResultClosed = 0;

  // engine: what APPLY and the pages call (the opener gives the program's).
  explicit CSysConfSheetBase(ports::SysConfEngine engine);
  virtual ~CSysConfSheetBase();
  CSysConfSheetBase(const CSysConfSheetBase&) = delete;
  CSysConfSheetBase& operator=(const CSysConfSheetBase&) = delete;

  // The page that writes code when it becomes active; null for a code no added page has.
  CSysConfPage* PageOfCode(int code) const;
  // Ends the cached SMTP record's texts within their fields, then fills the mirror from the
  // cached records.
  void LoadPagesFromConfig();

  // EXIT, APPLY and REBOOT disabled (while a page downloads) or enabled again; both return 1.
  int DisableButtons();
  int EnableButtons();

  // APPLY starts the steps in the sheet's order; REBOOT asks the server to restart; EXIT stops a
  // running APPLY and ends the run with 0.
  virtual void OnApply() = 0;
  void OnReboot();
  void OnExit();

  bool Rebooting() const { return m_bRebooting; }
  const ui::Worker& RebootWorker() const { return m_rebootWorker; }

  // True from APPLY's start (its pages passed their checks) until its end or stop.
  bool Applying() const { return m_bApplying; }
  const ui::Worker& ApplyWorker() const { return m_applyWorker; }

  // Replaces the engine functions that APPLY and the pages call (tests script them between runs).
  void SetEngine(ports::SysConfEngine engine) { m_engine = std::move(engine); }
  const ports::SysConfEngine& Engine() const { return m_engine; }

  // The code of the page active last (0 at construction).
  std::int32_t SysConfPageCode = 0;
  syscfg::SysConfMirror m_Mirror;
  // Set by the peripheral step when a device's type changes.
  std::uint32_t m_bDeviceTypeChanged = 0;
  // The folders the opener gives the sheet; the file-path page shows them, and APPLY takes
  // that page's paths back.
  SysConfFolders m_Folders;

  // The seventeen pages, built with the sheet; three of them are never added.
  NetworkConfigPage m_NetworkPage;
  MailPropertyPage m_MailPage;
  FTPPropertyPage m_FtpPage;
  AccountPropertyPage m_AccountPage;
  CPeripheralPage m_PeripheralPage;
  ToolBoxPropertyPage m_ToolBoxPage;
  RecordPage m_RecordPage;
  AlarmPropertyPage m_AlarmPage;
  CQ4TPeripheral m_Q4TPeripheralPage;
  CAlarmTriggerPage m_AlarmTriggerPage;
  COnlineUserPage m_OnlineUserPage;
  CScheduleRecordPage m_SchedulePage;
  AlarmDataPage m_AlarmDataPage;
  C2ChSetPentaPage m_PentaPage;
  CSNTPPage m_SntpPage;
  CDNSPage m_DnsPage;
  CGetLogPPage m_LogPage;
  // Built, never added: only its factory makes it.
  CSetPentaCmdPage m_PentaCmdPage;

 protected:
  // The property sheet this base belongs to.
  virtual ui::CPropertySheet& Sheet() const = 0;

  // APPLY: every page shown is checked first (on a failure that page is active with its
  // message shown, nothing is sent and false is returned); then the steps start in order, the
  // sheet's controls disabled (it keeps painting; presses are ignored). Each record send and
  // stream pause runs on the apply worker while the GUI thread goes on; the messages, questions
  // and engine actions of the steps stay on the GUI thread, in the same order as ever. When
  // the steps have ended, the file-path page's folders are taken back, the alarm database is
  // read again, a network change ends in a new login and OnApplyFinished is called (the sheet
  // ends with 3). False when APPLY did not start (a page refused, or APPLY or REBOOT runs).
  bool StartApply(std::span<const SysConfApplyStep> order);
  // Called on the GUI thread when the steps of a started APPLY have all run: the run ends
  // with 3.
  void OnApplyFinished();
  // The run's end (EXIT, the lost-connection close, the window's end): a running APPLY stops at
  // once; a send in flight is cut and nothing more is sent, no message of a later step shows.
  // Streams already paused still end in a new login.
  void StopApply();

  // REBOOT: "/RebootServer.cgi" (up to 5 s to connect and write) runs on a worker; the buttons
  // are disabled meanwhile and a second press is ignored.
  void StartReboot();
  // The run's end: a reboot request still waiting is stopped; its answer changes nothing.
  void StopReboot();

  // The sheet's window is made: the cached records fill the mirror, and the sheet's standard
  // keys (OK, Cancel, Help, Apply Now) give way to EXIT, APPLY and REBOOT on its run window,
  // registered by id; the sheet places them.
  void InitSheetKeys();
  // The run's end (the sheet's window goes): a running APPLY and a reboot request stop.
  void StopRun();

 private:
  using Task = syscfg::ApplyTask<>;
  // What a step waits for on the apply worker: body runs there (the stop cuts it); the step
  // continues with its result when the worker hands it over. Once APPLY stopped nothing starts
  // and the result is 0. Awaited only as a named local (see apply_task.h).
  class WorkerWait : public syscfg::NamedAwaiter<WorkerWait> {
   public:
    using Body = std::function<int(const platform::StopToken& stop)>;
    WorkerWait(CSysConfSheetBase& sheet, Body body) : m_sheet(sheet), m_body(std::move(body)) {}
    bool await_ready() const noexcept { return m_sheet.m_bApplyStopped; }
    bool await_suspend(std::coroutine_handle<> step);
    int await_resume() noexcept { return std::exchange(m_sheet.m_nApplyResult, 0); }

   private:
    CSysConfSheetBase& m_sheet;
    Body m_body;
  };

  bool CheckPagesForApply();
  // A page takes part in APPLY when its window exists in this run; its controls are saved.
  // False (the step is skipped) once APPLY stopped.
  bool BeginStep(CSysConfPage& page);
  // Sends a changed record (a copy of it, on the worker); a failure shows failureText (or
  // message 4012 when empty). A send cut by the stop shows nothing.
  syscfg::ApplyTask<bool> SendRecord(std::uint8_t option, QString failureText = {},
                                     int refresh = 0);
  // PauseStreams by the AV option, on the worker.
  Task PauseStreams();
  Task RunApplySteps(std::vector<SysConfApplyStep> order);
  Task RunStep(SysConfApplyStep step, bool& networkChanged);
  // The reboot request's answer: a request that was not sent shows message 4065 and gives the
  // buttons back; one that was sent ends the run with 0.
  void OnRebootDone(int result);
  // The apply worker's answer: the record send or stream pause the steps wait for has ended
  // (result: the send's result). The steps go on from where they waited.
  void OnApplyStepDone(int result);
  // Runs the steps until they wait or end, then finishes or clears a stopped APPLY.
  void ResumeApply(std::coroutine_handle<> step);
  void AfterApplyRan();
  void EndApply();

  Task ApplyDNS();
  Task ApplyTrigger();
  Task ApplyMail();
  Task ApplyFTP();
  Task ApplySNTP();
  Task ApplyAccount();
  Task ApplyPeripheral();
  Task ApplySystem();
  Task ApplyNetwork(bool& networkChanged);
  Task ApplyVideo(bool& networkChanged);

  ports::SysConfEngine m_engine;
  ui::Worker m_rebootWorker;
  bool m_bRebooting = false;

  ui::Worker m_applyWorker;
  Task m_applyTask;
  // Where the steps wait for the worker (empty while they run or when they do not wait).
  std::coroutine_handle<> m_applyResume;
  int m_nApplyResult = 0;
  bool m_bApplying = false;
  bool m_bApplyStopped = false;
  // The steps are running on the GUI thread (a message box of theirs may be open).
  bool m_bApplyRunning = false;
  // A step paused the streams: whatever happens then, APPLY ends in a new login.
  bool m_bApplyPaused = false;
};
