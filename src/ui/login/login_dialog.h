// LoginDialog: the program's first window. A skinned, borderless 304 x 341 window in which the
// operator types the server's address, web port, user name and password and presses Connect
// (or Enter). A worker runs the login pass; the window commits its result on the GUI thread,
// for the current attempt only, and closes with 1. Escape closes with 2 at once, Cancel fades
// the window out first. The tool buttons open the address book, the LAN search, the record
// player, the copy of the program, the firmware upgrade and the login settings.
#pragma once

#include <QPixmap>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/login_pass.h"
#include "ui/common/layered_wnd_helper.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/login/login_engine.h"

class QLineEdit;

class LoginDialog : public ui::UiDialog {
  Q_OBJECT

 public:
  // engine: what the window and the tools it opens ask of the engine (start-up binds it once;
  // tests give scripted ones).
  explicit LoginDialog(ports::LoginEngine engine, QWidget* parent = nullptr);
  ~LoginDialog() override;

  // Ends the worker's attempt too: a reply that arrives after the window closed is stale.
  int DoModal() override;

  // The field texts, set by start-up before DoModal and exchanged with the edits.
  QString m_strHost;      // 1042
  QString m_strUserName;  // 1040
  QString m_strPassword;  // 1043
  QString m_strPort;      // 1044
  QString m_strBitRate;   // 1376 (shown only)

  // The fade of Cancel goes through this helper (tests give one with a recording setter).
  void SetLayeredHelper(CLayeredWndHelper helper) { m_layered = std::move(helper); }

  // State as the window paints it, for tests and the gallery.
  bool IsSkinLoaded() const { return m_skinLoaded; }
  bool IsAnimating() const { return m_bAnimating; }
  int AnimationPosition() const { return m_nAnimationPos; }
  std::optional<QString> ShownResultText() const;
  // Results that belonged to an older attempt and were dropped.
  int StaleResults() const { return m_loginWorker.DroppedResults(); }
  // Builds the window as OnInitDialog does without running it (the gallery paints it so).
  void InitForPicture() { OnInitDialog(); }
  // One step of the animation, as each tick makes it.
  void AnimationStep();
  // Shows a result code's text as message 0x40F from outside a login attempt does.
  void ShowResult(int code);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Enter never closes the window: it starts the login.
  void OnOK() override;
  // Escape: result 2 at once, without the fade.
  void OnCancel() override;
  void OnTimer(int id) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool LoadSkin();
  void CreateButtons();
  void OnToolButton(int id);
  void OnConnectButton();
  void OnCancelButton();
  void OnAddressButton();
  void OnSearchButton();
  void OnPlayerButton();
  void OnCopyButton();
  void OnUpgradeButton();
  void OnLoginSettingButton();
  // The result code of the firmware road (0x40F): its text shows.
  void OnLoginResult(ui::WParam code);
  // The worker's pass: a success is committed and ends the window with 1; any other code shows
  // its text.
  void OnLoginDone(const app::LoginPassResult& result);
  void StopAnimation();
  void EndLoginAttempt();

  CLayeredWndHelper m_layered;
  ports::LoginEngine m_engine;
  ui::Worker m_loginWorker;

  QLineEdit* m_pHostEdit = nullptr;
  QLineEdit* m_pUserEdit = nullptr;
  QLineEdit* m_pPasswordEdit = nullptr;
  QLineEdit* m_pPortEdit = nullptr;
  QLineEdit* m_pBitRateEdit = nullptr;

  bool m_skinLoaded = false;
  std::vector<QPixmap> m_framePieces;  // in FramePieces() order; a missing one stays null
  QPixmap m_running;
  std::array<QPixmap, 11> m_digits;

  bool m_bAnimating = false;
  int m_nAnimationPos = 0;
  QString m_strResult;
  bool m_bResultShown = false;
};
