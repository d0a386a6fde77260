// CSysConfPropSheet: the "System Config" sheet in which the operator edits the server's
// configuration. It is a tree property sheet whose pages load from the cached configuration
// records; APPLY sends back only the records whose values changed and ends the run with 3,
// EXIT ends it with 0, REBOOT asks the server to restart. One sheet object serves every
// opening: the pages keep their values between runs, and each run makes their windows anew
// from a fresh mirror of the records.
#pragma once

#include <QPushButton>
#include <QString>
#include <atomic>
#include <cstdint>

#include "ui/config/dns_page.h"
#include "ui/config/ftp_page.h"
#include "ui/config/mail_page.h"
#include "ui/config/network_page.h"
#include "ui/config/penta_pages.h"
#include "ui/config/sntp_page.h"
#include "ui/config/sys_conf_engine.h"
#include "ui/config/sys_conf_mirror.h"
#include "ui/config/tree_prop_sheet.h"

// The local folders the sheet shows and edits: records, snapshots and the alarm sound.
struct SysConfFolders {
  QString record;
  QString snapshot;
  QString alarmSound;
  friend bool operator==(const SysConfFolders&, const SysConfFolders&) = default;
};

class CSysConfPropSheet : public CTreePropSheet {
  Q_OBJECT

 public:
  enum : int { IDC_EXIT = 8000, IDC_APPLY = 8001, IDC_REBOOT = 8002 };
  static constexpr int kResultApplied = 3;
  static constexpr int kResultClosed = 0;
  static constexpr const char* kCaption = "System Config";
  static constexpr const char* kEmptyPageText = "Please select a child item of '%s'.";

  explicit CSysConfPropSheet(const QString& caption = QString::fromLatin1(kCaption),
                             QWidget* parent = nullptr, int selectPage = 0);
  ~CSysConfPropSheet() override;

  // The page that writes code when it becomes active; null for a code no page has.
  CSysConfPage* PageOfCode(int code) const;

  int DoModal() override;
  // Ends a running sheet after a lost connection, with result 0, whatever its pages say.
  // Callable from any thread; does nothing while the sheet has no window.
  void CloseForLostConnection();

  // EXIT, APPLY and REBOOT disabled (while a page downloads) or enabled again; both return 1.
  int DisableButtons();
  int EnableButtons();

  void OnApply();
  void OnReboot();
  void OnExit();
  // Fills the mirror from the cached records.
  void LoadPagesFromConfig();

  // Replaces the engine functions that APPLY calls (tests record them).
  void SetEngine(syscfg::SysConfEngine engine) { m_engine = std::move(engine); }

  // The code of the page active last (0 at construction).
  std::int32_t SysConfPageCode = 0;
  // Set by the opener before each showing; cleared by the lost-connection close.
  std::atomic<std::uint32_t> m_bOpen{0};
  syscfg::SysConfMirror m_Mirror;
  // Set by the peripheral step when the first device's type changes.
  std::uint32_t m_bDeviceTypeChanged = 0;
  SysConfFolders m_Folders;

  NetworkConfigPage m_NetworkPage;
  CDNSPage m_DnsPage;
  CSNTPPage m_SntpPage;
  FTPPropertyPage m_FtpPage;
  MailPropertyPage m_MailPage;
  C2ChSetPentaPage m_PentaPage;
  // Built, never added: no window shows it.
  CSetPentaCmdPage m_PentaCmdPage;

 protected:
  bool OnInitDialog() override;
  // Enter does not end the sheet; Escape and the window's close are EXIT.
  void OnOK() override {}
  void OnCancel() override { OnExit(); }
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceButtons();
  // APPLY's first pass: every page shown saves and checks its controls. On a failure that page
  // is active with its message shown, and false is returned.
  bool CheckPagesForApply();
  // A page takes part in APPLY when its window exists in this run; its controls are saved.
  bool BeginStep(CSysConfPage& page);
  // Sends a changed record; a failure shows failureText (or message 4012 when empty).
  bool SendRecord(std::uint8_t option, const QString& failureText = {}, int refresh = 0);

  void ApplyDNS();
  void ApplyMail();
  void ApplyFTP();
  void ApplySNTP();
  void ApplyNetwork(bool& networkChanged);
  void ApplyVideo(bool& networkChanged);

  syscfg::SysConfEngine m_engine;
  std::atomic<bool> m_bWindowExists{false};
  std::atomic<std::uint32_t> m_nRun{0};
};

// Message the lost-connection close posts to the sheet (wParam: the run it closes).
inline constexpr std::uint32_t WM_CLOSESYSCONFSHEET = 0x400 + 0x50;
