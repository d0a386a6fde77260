// What the configuration windows ask of the engine, behind replaceable functions so that tests
// see each call: reloading the alarm database, reporting the connection lost (the new login),
// pausing the streams, the recorders and the schedule, and the requests to the server.
//
// The requests wait for the network (up to their time-outs) and end at once when their stop is
// requested: the windows run them on their workers (ui::Worker) and take the typed result on
// the GUI thread. The actions have no stop. pauseStreams waits for the receivers' answers (up
// to kPauseStreamWaitMs each), so the sheet runs it on its worker; the others are called on
// the GUI thread: the two recorder stops wait for each recorder's thread to finish its file (up
// to kStopRecordWaitMs, 500 ms, per recorder), reportConnectionLost waits for the kernel
// mailbox while the kernel thread handles an earlier code, reloadAlarmDatabase reads and
// rewrites the alarm database file, and the rest return at once.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/schedule_table.h"
#include "net/cgi_url.h"
#include "net/config_records.h"
#include "platform/thread.h"

namespace net {
struct LogDownload;
}  // namespace net

namespace ports {

struct SysConfEngine {
  // --- Requests (run on a worker) ---
  // The records the sheet shows, fetched in their order before it opens (the cache is not
  // touched: the caller stores them on the GUI thread).
  std::function<FetchedConfigRecords(const platform::StopToken&)> loadConfigRecords;
  // A record sent as the body of "/SetSysCfg.cgi" (refresh: DNS only); the sender's result.
  std::function<int(std::uint8_t option, std::span<const std::uint8_t> record, int refresh,
                    const platform::StopToken&)>
      setRecord;
  // REBOOT and Sync Server Time: a CGI path with the session id; the sender's result.
  std::function<int(CgiIndex cgiIndex, const std::string& session, const platform::StopToken&)>
      sessionCommand;
  // "/GetOnlineUser.cgi": the reply body, nothing on a failure or a stop.
  std::function<std::optional<std::vector<std::uint8_t>>(const std::string& session,
                                                         const platform::StopToken&)>
      fetchOnlineUsers;
  // The PENTA record for the motion grid: nothing on a failure or a stop.
  std::function<std::optional<PentaRecord>(const platform::StopToken&)> fetchMotionRecord;
  // The server's log into download (progress after each batch: received, number to fetch);
  // net::kLogDownloaded, kLogFailed or kLogStopped.
  std::function<std::uint32_t(std::uint32_t maximum, const std::string& session,
                              net::LogDownload& download,
                              const std::function<void(std::uint32_t, std::uint32_t)>& progress,
                              const platform::StopToken&)>
      downloadLog;
  // "LogEvent=Erase": net::kLogErased, kLogFailed or kLogStopped.
  std::function<std::uint32_t(const std::string& session, const platform::StopToken&)> eraseLog;

  // --- Actions (no stop; see above for the ones that wait) ---
  // CAlarmDatabase::ReadAll of the program's alarm database.
  std::function<void()> reloadAlarmDatabase;
  // MessageTrigger(1): the client logs in again.
  std::function<void()> reportConnectionLost;
  // PauseStreams by the AV switch option.
  std::function<void(std::uint8_t avOption)> pauseStreams;
  // The AV switch option of the settings.
  std::function<std::uint8_t()> avOption;
  // The user recorder writes a file.
  std::function<bool()> userRecordRunning;
  // app::StopUserRecord and app::StopAlarmAndScheduleRecords (the main window's stopRecorders
  // stops all three the same way).
  std::function<void()> stopUserRecord;
  std::function<void()> stopAlarmAndScheduleRecords;
  // The alarm recorder writes a file (the alarm-record list is not reloaded then).
  std::function<bool()> alarmRecordRunning;
  // Hands the schedule recorder a copy of the schedule table.
  std::function<void(const ScheduleTable&)> setSchedule;

  // The functions bound to the engine of the program.
  static SysConfEngine Defaults();
};

}  // namespace ports
