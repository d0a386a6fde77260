// CSearchDlg: finds the video servers on the local network by a UDP broadcast, lists them (the
// newest on top), shows the chosen one's network settings, and changes ("APPLY") or resets
// ("RESET DEFAULT") a server's settings after asking for its user name and password. The login
// window takes the chosen server's address and web port when the chosen flag is set.
//
// The search runs on a worker that hands every answer and its end to the window; the caption
// animates while it runs. A set-IP or reset request waits for its answer on the same worker,
// with the controls disabled. Escape does not close the window.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "net/lan_search.h"
#include "net/search_datagram.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/login/login_engine.h"

namespace ui {
class ListCtrl;
}

namespace ui::login {

inline constexpr int IDC_SEARCH_LIST = 1093;
inline constexpr int IDC_SEARCH_AGAIN = 1094;
inline constexpr int IDC_SEARCH_APPLY = 1095;
inline constexpr int IDC_SEARCH_RESET = 1101;
inline constexpr int IDC_SEARCH_MAC = 1041;
inline constexpr int IDC_SEARCH_IP = 1096;
inline constexpr int IDC_SEARCH_PORT = 1097;
inline constexpr int IDC_SEARCH_MASK = 1098;
inline constexpr int IDC_SEARCH_GATEWAY = 1099;
inline constexpr int IDC_SEARCH_DNS = 1100;

inline constexpr int kSearchCaptionTimer = 1000;
inline constexpr int kSearchCaptionPeriodMs = 300;
// How long closing or SEARCH AGAIN waits for the worker (it ends within a poll slice).
inline constexpr std::uint32_t kSearchStopMs = 2000;

inline constexpr const char* kSendBroadcastFailedText = "SendBroadCast is wrong";

// What a search reports as it goes: an answer, or that its broadcast could not be sent.
struct SearchBroadcastFailed {};
using SearchReport = std::variant<net::SearchDatagram, SearchBroadcastFailed>;

}  // namespace ui::login

class CSearchDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  // engine: the opener's port (the search and its set-IP and reset requests are run).
  explicit CSearchDlg(ports::LoginEngine engine, QWidget* parent = nullptr);
  ~CSearchDlg() override;

  // Stops the worker when the dialog ends, so its port is free for the next search.
  int DoModal() override;

  // Results for the caller: the chosen server's address, MAC and web port, and whether one was
  // chosen (OK with a selected server, or a set-IP or reset request that went out).
  QString m_strResultIp;
  QString m_strResultMac;
  int m_nResultPort = 80;
  bool m_bChosen = false;

  // The detail fields, exchanged with their edits.
  QString m_strMac;      // 1041
  QString m_strIp;       // 1096
  int m_nWebPort = 0;    // 1097
  QString m_strNetMask;  // 1098
  QString m_strGateway;  // 1099
  QString m_strDns;      // 1100
  // The credentials of the last confirmation (APPLY keeps them).
  QString m_strUserName;
  QString m_strPassword;

  const std::vector<net::SearchDeviceEntry>& Devices() const { return m_devices; }
  int SelectedIndex() const { return m_nSelectedIndex; }
  const net::SearchDeviceEntry* FindDevice(int index) const;
  bool IsSearching() const { return m_bSearching; }
  bool IsCommandRunning() const { return m_command != Command::None; }

  // The window as it opens, without starting a search (the gallery fills it by hand).
  void InitForPicture();
  // One answer as the search shows it: in the detail edits and as a new row on top.
  void AddAnswer(const net::SearchDatagram& answer);
  // The search's end step: controls enabled, caption the stopped word.
  void EndSearch();

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnOK() override;
  void OnTimer(int id) override;
  // Escape is swallowed; everything else as in any dialog.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Command { None, Apply, Reset };

  void BuildColumns();
  bool StartSearch();
  void StopWorker();
  void OnSearchAgain();
  void OnItemChanged();
  void OnApply();
  void OnResetDefault();
  // The worker's reports and ends.
  void OnSearchReport(const ui::login::SearchReport& report);
  void OnSearchEnd(net::LanSearchEnd end);
  void OnCommandSent();
  void OnCommandDone(const net::LanCommandResult& result);
  // The selected entry for APPLY or RESET, after the checks of both; null after a message.
  const net::SearchDeviceEntry* ChangeableSelection(bool readEdits);
  // The members as request fields; false after a message naming the first bad one.
  bool CheckedSettings(net::DeviceNetworkSettings& settings);
  // Asks for the credentials; false when cancelled or refused (after the message).
  bool ConfirmAuthority(QString& user, QString& password);
  // What APPLY and RESET DEFAULT both check before their request: no request or search going
  // on, a selected changeable server, edits that make request fields (read from the window
  // first when readEdits) and the server's credentials. Nullopt after a message (or when busy).
  struct CommandFields {
    const net::SearchDeviceEntry* entry = nullptr;
    net::DeviceNetworkSettings settings;
    QString user;
    QString password;
  };
  std::optional<CommandFields> PrepareCommand(bool readEdits);
  void StartCommand(Command command, const net::SearchDatagram& request);
  void SetResultsFromFields();
  // Idle: the list, the four buttons and (with a selected server) the edits enabled.
  void EnableControls(bool enable);
  void EnableEdits(bool enable);

  ui::ListCtrl* m_pList = nullptr;
  ports::LoginEngine m_engine;
  ui::Worker m_worker;
  std::vector<net::SearchDeviceEntry> m_devices;  // in the order of arrival
  int m_nSelectedIndex = -1;
  std::uint32_t m_nCaptionCounter = 0;
  QString m_strSearchingWord;
  QString m_strStoppedWord;
  bool m_bSearching = false;
  Command m_command = Command::None;
};
