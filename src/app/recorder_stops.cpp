#include "app/recorder_stops.h"

#include "app/app_data.h"
#include "media/record/recorder.h"

namespace app {

void StopUserRecord() {
  if (g_lpApp)
    g_lpApp->m_UserRecord.StopRecord();
}

void StopAlarmAndScheduleRecords() {
  if (!g_lpApp)
    return;
  g_lpApp->m_AlarmRecord.StopRecord();
  g_lpApp->m_SchRecord.StopRecord();
}

void StopRecorders() {
  if (!g_lpApp)
    return;
  g_lpApp->m_AlarmRecord.StopRecord();
  g_lpApp->m_UserRecord.StopRecord();
  g_lpApp->m_SchRecord.StopRecord();
}

}  // namespace app
