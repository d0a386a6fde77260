#include "fakes/fake_config_server.h"

namespace fakes {

void ServeConfig(FakeVideoServer& server, const ConfigRecords& records) {
  for (const auto& [option, record] : records)
    server.SetConfigRecord(option, record);
}

void RefuseSetSysCfg(FakeVideoServer& server, std::set<std::string> options, int status) {
  server.SetHandler("/SetSysCfg.cgi", [&server, options = std::move(options),
                                       status](const RecordedRequest& request) {
    const auto option = request.Param("Option");
    if (!option || server.ConfigRecord(*option).empty())
      return FakeReply::Status(203);
    if (options.count(*option) != 0)
      return FakeReply::Status(status);
    server.SetConfigRecord(*option, request.body);
    return FakeReply::Status(200);
  });
}

void StallSetSysCfg(FakeVideoServer& server, std::set<std::string> options,
                    std::chrono::milliseconds stall) {
  server.SetHandler("/SetSysCfg.cgi",
                    [&server, options = std::move(options), stall](const RecordedRequest& request) {
                      const auto option = request.Param("Option");
                      if (!option || server.ConfigRecord(*option).empty())
                        return FakeReply::Status(203);
                      FakeReply reply = FakeReply::Status(200);
                      if (options.count(*option) != 0)
                        reply.delay = stall;
                      else
                        server.SetConfigRecord(*option, request.body);
                      return reply;
                    });
}

void RefuseGetSysCfg(FakeVideoServer& server, const std::string& option, int status) {
  server.SetHandler("/GetSysCfg.cgi", [&server, option, status](const RecordedRequest& request) {
    const auto asked = request.Param("Option");
    if (!asked || *asked == option)
      return FakeReply::Status(status);
    std::vector<std::uint8_t> record = server.ConfigRecord(*asked);
    if (record.empty())
      return FakeReply::Status(203);
    FakeReply reply;
    reply.body = std::move(record);
    return reply;
  });
}

void StallGetSysCfg(FakeVideoServer& server, std::set<std::string> options,
                    std::chrono::milliseconds stall) {
  server.SetHandler("/GetSysCfg.cgi",
                    [&server, options = std::move(options), stall](const RecordedRequest& request) {
                      const auto option = request.Param("Option");
                      std::vector<std::uint8_t> record =
                          option ? server.ConfigRecord(*option) : std::vector<std::uint8_t>{};
                      if (record.empty())
                        return FakeReply::Status(203);
                      FakeReply reply;
                      reply.body = std::move(record);
                      if (options.count(*option) != 0)
                        reply.delay = stall;
                      return reply;
                    });
}

void SetSyncServerTimeStatus(FakeVideoServer& server, int status) {
  server.SetHandler("/SyncServerTime.cgi",
                    [status](const RecordedRequest&) { return SyncServerTimeReply(status); });
}

FakeReply SyncServerTimeReply(int status) {
  return FakeReply::Status(status);
}

}  // namespace fakes
