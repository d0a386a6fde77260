#include "app/recorder_stops.h"

#include <initializer_list>

#include "app/app_data.h"
#include "media/record/recorder.h"

namespace app {
namespace {

using RecorderOf = CRecorder& (*)(CAppData&);

CRecorder& AlarmRecorder(CAppData& app) {
  return app.m_AlarmRecord;
}
CRecorder& UserRecorder(CAppData& app) {
  return app.m_UserRecord;
}
CRecorder& ScheduleRecorder(CAppData& app) {
  return app.m_SchRecord;
}

void StopRecords(std::initializer_list<RecorderOf> recorders) {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  for (const RecorderOf recorder : recorders)
    recorder(app).StopRecord();
}

}  // namespace

void StopUserRecord() {
  StopRecords({UserRecorder});
}

void StopAlarmAndScheduleRecords() {
  StopRecords({AlarmRecorder, ScheduleRecorder});
}

void StopRecorders() {
  StopRecords({AlarmRecorder, UserRecorder, ScheduleRecorder});
}

}  // namespace app
