// What applying the configuration and the pages ask of the engine, behind replaceable
// functions so that tests see each call: reloading the alarm database, reporting the
// connection lost (the new login), pausing the streams, the recorders and the schedule.
#pragma once

#include <cstdint>
#include <functional>

#include "app/schedule_table.h"

namespace syscfg {

struct SysConfEngine {
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
  std::function<void()> stopUserRecord;
  std::function<void()> stopAlarmAndScheduleRecords;
  // The alarm recorder writes a file (the alarm-record list is not reloaded then).
  std::function<bool()> alarmRecordRunning;
  // Hands the schedule recorder a copy of the schedule table.
  std::function<void(const ScheduleTable&)> setSchedule;

  // The functions bound to the engine of the program.
  static SysConfEngine Defaults();
};

}  // namespace syscfg
