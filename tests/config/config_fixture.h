// Shared set-up of the configuration window tests: an application data block, the fake server
// with the sample configuration on loopback, the device protocol pointed at it with session id
// "S1", a recording message box and a scripted modal runner; the records loaded through the
// load-configuration dialog; a sheet whose engine calls are recorded.
#pragma once

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "fakes/fake_config_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/qt_test_environment.h"
#include "fakes/temp_folder.h"
#include "media/alarm_db/alarm_database.h"
#include "net/ctrl_file.h"
#include "net/net_environment.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/string_table.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/config/sheets/load_config_dlg.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"

namespace config_testing {

inline constexpr int kNotEnded = -99;

class ConfigTest : public ::testing::Test {
 public:
  void SetUp() override {
    g_lpApp = std::make_unique<CAppData>();
    server = std::make_unique<fakes::FakeVideoServer>();
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server->WebPort());
    environment.SetLocalAddress("127.0.0.1");
    environment.SetSessionId("S1");
    net::ClearPendingChanges();
    net::SetEnvironment(&environment);
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    runner = std::make_shared<ui::testing::ScriptedModalRunner>();
    scopedRunner.emplace(runner);
    // The alarm-record list page keeps its database in the test's own folder.
    g_AlarmDatabase.SetProgramDir(folder.Path().string());
    g_AlarmDatabase.m_List.clear();
    g_AlarmDatabase.m_bListChanged = 0;
  }
  void TearDown() override {
    sheet.reset();
    scopedRunner.reset();
    scopedBox.reset();
    net::SetEnvironment(nullptr);
    net::ClearPendingChanges();
    server.reset();
    g_lpApp.reset();
    g_AlarmDatabase.m_List.clear();
    g_AlarmDatabase.m_bListChanged = 0;
  }

  // Serves records and fetches them all through the load dialog; its result.
  int Load(const fakes::ConfigRecords& records = fakes::SampleConfig()) {
    fakes::ServeConfig(*server, records);
    CEnterSysConfigDlg dialog(ports::SysConfEngine::Defaults());
    const int result = dialog.DoModal();
    server->ClearRecords();
    return result;
  }

  // Engine calls that go to the call log (and the schedule copies); the requests go to the
  // server as the program sends them.
  ports::SysConfEngine RecordingEngine() {
    ports::SysConfEngine engine = ports::SysConfEngine::Defaults();
    engine.reloadAlarmDatabase = [this] { calls.push_back("ReadAll"); };
    engine.reportConnectionLost = [this] { calls.push_back("MessageTrigger(1)"); };
    engine.pauseStreams = [this](std::uint8_t option) {
      calls.push_back("PauseStreams(" + std::to_string(option) + ")");
    };
    engine.avOption = [] { return std::uint8_t{3}; };
    engine.userRecordRunning = [this] { return userRecording; };
    engine.stopUserRecord = [this] { calls.push_back("StopUserRecord"); };
    engine.stopAlarmAndScheduleRecords = [this] { calls.push_back("StopAlarmAndSchedule"); };
    engine.alarmRecordRunning = [this] { return alarmRecording; };
    engine.setSchedule = [this](const ScheduleTable& table) { schedules.push_back(table); };
    return engine;
  }

  // A sheet whose engine calls go to the call log.
  CSysConfPropSheet& NewSheet() {
    sheet = std::make_unique<CSysConfPropSheet>(RecordingEngine());
    return *sheet;
  }

  // Runs the sheet with body inside the run; a body that does not end the run ends it with
  // kNotEnded.
  int RunSheet(const std::function<void(CSysConfPropSheet&)>& body) {
    CSysConfPropSheet& s = sheet ? *sheet : NewSheet();
    QTimer::singleShot(0, &s, [&] {
      body(s);
      if (s.IsInModalRun() && s.isVisible())
        s.EndDialog(kNotEnded);
    });
    return s.DoModal();
  }

  // The options of the "/SetSysCfg.cgi" requests, in order.
  std::vector<std::string> SentOptions() const {
    std::vector<std::string> options;
    for (const auto& request : server->RequestsTo("/SetSysCfg.cgi"))
      options.push_back(request.Param("Option").value_or("?"));
    return options;
  }
  // The record sent for an option (the last one).
  std::optional<std::vector<std::uint8_t>> Sent(const std::string& option) const {
    std::optional<std::vector<std::uint8_t>> body;
    for (const auto& request : server->RequestsTo("/SetSysCfg.cgi")) {
      if (request.Param("Option") == option)
        body = request.body;
    }
    return body;
  }
  // The texts of the message boxes shown, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& shown : messages->Shown())
      texts.push_back(shown.text);
    return texts;
  }
  static std::string Text(int stringId) { return ui::LoadString(stringId).toStdString(); }

  fakes::TempFolder folder;
  std::unique_ptr<fakes::FakeVideoServer> server;
  net::MemoryNetEnvironment environment;
  std::shared_ptr<platform::testing::FakeMessageBox> messages;
  std::optional<platform::testing::ScopedMessageBox> scopedBox;
  std::shared_ptr<ui::testing::ScriptedModalRunner> runner;
  std::optional<ui::testing::ScopedModalRunner> scopedRunner;
  std::unique_ptr<CSysConfPropSheet> sheet;
  std::vector<std::string> calls;
  bool userRecording = false;
  bool alarmRecording = false;
  // The copies of the schedule table handed to the recorder, in order.
  std::vector<ScheduleTable> schedules;
};

// Presses APPLY and waits until the sheet's APPLY has ended (its record sends and stream pauses
// run on the sheet's worker; the steps go on as their answers arrive).
template <typename Sheet>
void WaitForApply(Sheet& sheet) {
  ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.Applying(); }, std::chrono::seconds(30)));
}
template <typename Sheet>
void ApplyAndWait(Sheet& sheet) {
  sheet.OnApply();
  WaitForApply(sheet);
}

// Waits until Motion Setup's fetch of the PENTA record has been answered (the grid opens, or
// its failure is shown, as the answer arrives).
inline bool WaitForMotionFetch(const AlarmPropertyPage& page) {
  return fakes::WaitUntil([&] { return !page.FetchingMotionRecord(); }, std::chrono::seconds(30));
}

// Waits until the worker has dropped `count` results in all: the result of a run that a stop
// ended arrives on the GUI thread after its reports and is dropped there. Once it has been,
// nothing of that run is left to arrive, so what it must not have changed can be checked.
inline bool WaitForDroppedResults(const ui::Worker& worker, int count = 1) {
  return fakes::WaitUntil([&] { return worker.DroppedResults() >= count; },
                          std::chrono::seconds(30));
}

// The device-command table with these kinds loaded (the others not), for a test's lifetime.
class ScopedDeviceTable {
 public:
  explicit ScopedDeviceTable(std::initializer_list<int> kinds) {
    for (std::size_t k = 0; k < DeviceCommandTable.size(); ++k) {
      m_saved[k] = DeviceCommandTable[k].device;
      DeviceCommandTable[k].device = nullptr;
    }
    for (int kind : kinds)
      DeviceCommandTable[static_cast<std::size_t>(kind)].device = &m_device;
  }
  ~ScopedDeviceTable() {
    for (std::size_t k = 0; k < DeviceCommandTable.size(); ++k)
      DeviceCommandTable[k].device = m_saved[k];
  }
  ScopedDeviceTable(const ScopedDeviceTable&) = delete;
  ScopedDeviceTable& operator=(const ScopedDeviceTable&) = delete;

 private:
  CtrlFileDevice m_device;
  std::array<CtrlFileDevice*, kDeviceKindCount> m_saved{};
};

// A record patch: bytes written at an offset.
struct Patch {
  std::size_t offset;
  std::vector<std::uint8_t> bytes;
};
// A text field as written: the text, then zeros to the width.
inline std::vector<std::uint8_t> Field(const std::string& text, std::size_t width) {
  std::vector<std::uint8_t> bytes(width, 0);
  std::copy(text.begin(), text.end(), bytes.begin());
  return bytes;
}
inline std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> record,
                                         const std::vector<Patch>& patches) {
  for (const Patch& patch : patches)
    std::copy(patch.bytes.begin(), patch.bytes.end(),
              record.begin() + static_cast<long>(patch.offset));
  return record;
}

}  // namespace config_testing
