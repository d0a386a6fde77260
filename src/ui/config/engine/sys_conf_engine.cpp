#include "ui/config/engine/sys_conf_engine.h"

#include "app/app_data.h"
#include "app/kernel_threads.h"
#include "app/pause_streams.h"
#include "app/recorder_stops.h"
#include "media/alarm_db/alarm_database.h"
#include "media/record/recorder.h"
#include "net/config_records.h"
#include "net/server_log.h"
#include "net/session_command.h"

namespace ports {

SysConfEngine SysConfEngine::Defaults() {
  SysConfEngine engine;
  engine.loadConfigRecords = [](const platform::StopToken& stop) {
    return FetchConfigRecords(stop);
  };
  engine.setRecord = [](std::uint8_t option, std::span<const std::uint8_t> record, int refresh,
                        const platform::StopToken& stop) {
    return SetSysCfg(option, record.empty() ? nullptr : record.data(),
                     static_cast<std::uint32_t>(record.size()), refresh, stop);
  };
  engine.sessionCommand = [](CgiIndex cgiIndex, const std::string& session,
                             const platform::StopToken& stop) {
    return net::SendSessionCommand(cgiIndex, session, stop);
  };
  engine.fetchOnlineUsers = [](const std::string& session, const platform::StopToken& stop) {
    return FetchOnlineUsers(session, stop);
  };
  engine.fetchMotionRecord = [](const platform::StopToken& stop) {
    return FetchMotionRecord(stop);
  };
  engine.downloadLog = [](std::uint32_t maximum, const std::string& session,
                          net::LogDownload& download,
                          const std::function<void(std::uint32_t, std::uint32_t)>& progress,
                          const platform::StopToken& stop) {
    return net::DownloadServerLog(maximum, session, download, progress, stop);
  };
  engine.eraseLog = [](const std::string& session, const platform::StopToken& stop) {
    return net::EraseServerLog(session, stop);
  };
  engine.reloadAlarmDatabase = [] { g_AlarmDatabase.ReadAll(); };
  engine.reportConnectionLost = [] {
    MessageTrigger(static_cast<std::uint8_t>(kKernelConnectionLost));
  };
  engine.pauseStreams = [](std::uint8_t option) { PauseStreams(option); };
  engine.avOption = [] {
    return g_lpApp ? g_lpApp->m_SettingINI.m_byAvSwitchOption.load() : std::uint8_t{0};
  };
  engine.userRecordRunning = [] { return g_lpApp && g_lpApp->m_UserRecord.HasOpenFile(); };
  engine.stopUserRecord = app::StopUserRecord;
  engine.stopAlarmAndScheduleRecords = app::StopAlarmAndScheduleRecords;
  engine.alarmRecordRunning = [] { return g_lpApp && g_lpApp->m_AlarmRecord.HasOpenFile(); };
  engine.setSchedule = [](const ScheduleTable& table) {
    if (!g_lpApp)
      return;
    std::array<ScheduleEntry, kScheduleSlotCount> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const ScheduleSlot& slot = table.m_Slots[i];
      entries[i] = {slot.start, slot.end, slot.used != 0};
    }
    std::string recordPath;
    {
      const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
      recordPath = g_lpApp->m_SettingINI.m_strRecordPath;
    }
    g_lpApp->m_SchRecord.SetSchedule(entries, std::move(recordPath));
  };
  return engine;
}

}  // namespace ports
