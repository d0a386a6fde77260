// The configuration side of the fake video server: serving a set of records, refusing the
// fetch or the send of chosen options, and the answer of "/SyncServerTime.cgi".
#pragma once

#include <chrono>
#include <set>
#include <string>

#include "fakes/fake_video_server.h"
#include "fakes/sample_config.h"

namespace fakes {

// Replaces the server's records by these (the server serves SampleConfig() from the start).
void ServeConfig(FakeVideoServer& server, const ConfigRecords& records);

// "/SetSysCfg.cgi" for one of these options answers status and stores nothing; the others are
// stored as usual.
void RefuseSetSysCfg(FakeVideoServer& server, std::set<std::string> options, int status = 203);
// "/SetSysCfg.cgi" for one of these options is held for stall, then accepted without being
// stored (the server's stop ends the wait early); the others are stored and accepted at once.
void StallSetSysCfg(FakeVideoServer& server, std::set<std::string> options,
                    std::chrono::milliseconds stall);
// "/GetSysCfg.cgi" for this option answers status.
void RefuseGetSysCfg(FakeVideoServer& server, const std::string& option, int status = 203);
// "/GetSysCfg.cgi" for one of these options is held for stall, then answered with the record
// (the server's stop ends the wait early); the others are answered at once.
void StallGetSysCfg(FakeVideoServer& server, std::set<std::string> options,
                    std::chrono::milliseconds stall);
// "/SyncServerTime.cgi" answers status (200 until set).
void SetSyncServerTimeStatus(FakeVideoServer& server, int status);

// The built-in answers of the configuration paths (installed by FakeVideoServer itself).
FakeReply SyncServerTimeReply(int status = 200);

}  // namespace fakes
