// The recorders' stops as the windows and the lost-connection road ask for them, in one place:
// each is the recorders' StopRecord, which waits up to kStopRecordWaitMs (500 ms) per recorder
// for its thread to finish the file. Nothing happens without a data block.
#pragma once

namespace app {

// The user recorder's record ends.
void StopUserRecord();
// The alarm and the schedule recorders' records end, in that order.
void StopAlarmAndScheduleRecords();
// Every record ends: the alarm, the user and the schedule recorder, in that order.
void StopRecorders();

}  // namespace app
