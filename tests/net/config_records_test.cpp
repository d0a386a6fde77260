// Configuration records against the fake video server.
#include "net/config_records.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <optional>
#include <vector>

#include "app/app_data.h"
#include "net_test_environment.h"
#include "platform/thread.h"

namespace {

using fakes::FakeReply;

class ConfigRecordsTest : public net::testing::FakeServerTest {
 protected:
  void SetUp() override {
    FakeServerTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
  }
  void TearDown() override {
    g_lpApp.reset();
    FakeServerTest::TearDown();
  }
};

TEST_F(ConfigRecordsTest, RequestsCarryOptionSizeAndSession) {
  std::vector<uint8_t> record(40);
  ASSERT_EQ(GetSysCfg(kConfigSntp, record.data(), 40), 1);
  environment.SetSessionId("S1");
  ASSERT_EQ(GetSysCfg(kConfigSntp, record.data(), 40), 1);
  std::vector<uint8_t> dns(124, 1);
  ASSERT_EQ(SetSysCfg(kConfigDns, dns.data(), 124, 1), 1);
  ASSERT_EQ(SetSysCfg(kConfigDns, dns.data(), 124, 0), 1);
  std::vector<uint8_t> ip(24, 2);
  ASSERT_EQ(SetSysCfg(kConfigIp, ip.data(), 24, 1), 1);
  environment.SetSessionId("");
  ASSERT_EQ(SetSysCfg(kConfigIp, ip.data(), 24, 0), 1);

  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(requests[0].target, "/GetSysCfg.cgi?Option=SNTP&Size=40");
  EXPECT_EQ(requests[1].target, "/GetSysCfg.cgi?Option=SNTP&Size=40&SessionID=S1");
  EXPECT_EQ(requests[2].target, "/SetSysCfg.cgi?Option=DNS&Refresh=True&SessionID=S1");
  EXPECT_EQ(requests[3].target, "/SetSysCfg.cgi?Option=DNS&Refresh=False&SessionID=S1");
  EXPECT_EQ(requests[4].target, "/SetSysCfg.cgi?Option=IP&SessionID=S1");
  EXPECT_EQ(requests[5].target, "/SetSysCfg.cgi?Option=IP");
  EXPECT_EQ(requests[2].Header("Content-Length"), "124");
  EXPECT_EQ(requests[2].body, dns);
  EXPECT_FALSE(requests[0].Header("Content-Length"));
}

TEST_F(ConfigRecordsTest, EveryRecordIsFetchedIntoItsCacheAndSentBackUnchanged) {
  for (uint8_t option = kConfigInf; option <= kConfigPenta; ++option) {
    const std::span<uint8_t> cache = CachedConfigRecord(option);
    ASSERT_EQ(cache.size(), ConfigRecordSizes[option]) << ConfigOptionNames[option];
    const std::vector<uint8_t> original = server->ConfigRecord(ConfigOptionNames[option]);
    ASSERT_EQ(GetSysCfg(option, cache.data(), ConfigRecordSizes[option]), 1)
        << ConfigOptionNames[option];
    EXPECT_EQ(std::vector<uint8_t>(cache.begin(), cache.end()), original);
    server->SetConfigRecord(ConfigOptionNames[option], {});  // forget it on the server
    ASSERT_EQ(SetSysCfg(option, cache.data(), ConfigRecordSizes[option], 0), 1);
    EXPECT_EQ(server->ConfigRecord(ConfigOptionNames[option]), original)
        << ConfigOptionNames[option];
  }
  EXPECT_TRUE(CachedConfigRecord(kConfigEectx).empty());
  EXPECT_EQ(GetSysCfg(kConfigEectx, CachedConfigRecord(kConfigInf).data(), 56), 0);
  EXPECT_EQ(GetSysCfg(15, CachedConfigRecord(kConfigInf).data(), 56), 0);
}

TEST_F(ConfigRecordsTest, FetchOfWrongSizeOrRefusedFailsAndKeepsTheCache) {
  struct Case {
    const char* name;
    FakeReply reply;
  };
  const std::vector<Case> cases = {
      {"57 bytes for 56", FakeReply::Text(std::string(57, 'x'))},
      {"55 bytes for 56", FakeReply::Text(std::string(55, 'x'))},
      {"empty body", FakeReply::Text("")},
      {"refusal 203", FakeReply::Status(203)},
      {"not found", FakeReply::Status(404)},
  };
  std::span<uint8_t> cache = CachedConfigRecord(kConfigInf);
  std::fill(cache.begin(), cache.end(), 0x5A);
  for (const Case& c : cases) {
    server->QueueReply("/GetSysCfg.cgi", c.reply);
    EXPECT_EQ(GetSysCfg(kConfigInf, cache.data(), 56), 0) << c.name;
    for (const uint8_t byte : cache)
      ASSERT_EQ(byte, 0x5A) << c.name;
  }
}

TEST_F(ConfigRecordsTest, AStopEndsAFetchAtOnceAndKeepsTheRecord) {
  // The server holds the record for 30 s: the stop cuts the wait.
  FakeReply held = FakeReply::Text(std::string(56, 'x'));
  held.delay = std::chrono::seconds(30);
  server->QueueReply("/GetSysCfg.cgi", held);
  std::vector<uint8_t> record(56, 0x5A);
  std::atomic<int> result{-1};
  platform::Thread fetch;
  ASSERT_TRUE(fetch.Start("HeldFetch", [&](platform::StopToken stop) {
    result = GetSysCfg(kConfigInf, record.data(), 56, stop);
    return 0u;
  }));
  const bool asked = server->WaitForRequests(1, std::chrono::seconds(10));
  EXPECT_TRUE(fetch.StopAndJoin(10000));
  ASSERT_TRUE(asked);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(record, std::vector<uint8_t>(56, 0x5A));

  // A stop requested before the fetch: nothing is asked.
  platform::Thread late;
  ASSERT_TRUE(late.Start("StoppedFetch", [&](platform::StopToken stop) {
    stop.StopEvent().Wait();
    result = GetSysCfg(kConfigInf, record.data(), 56, stop);
    return 0u;
  }));
  EXPECT_TRUE(late.StopAndJoin(10000));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(server->Requests().size(), 1u);
  // Without a stop the same fetch goes on as before.
  EXPECT_EQ(GetSysCfg(kConfigInf, record.data(), 56), 1);
}

TEST_F(ConfigRecordsTest, SendRefusedGivesZero) {
  std::vector<uint8_t> img(12);
  server->QueueReply("/SetSysCfg.cgi", FakeReply::Status(203));
  EXPECT_EQ(SetSysCfg(kConfigImg, img.data(), 12, 0), 0);
  environment.SetServerName("");
  EXPECT_EQ(SetSysCfg(kConfigImg, img.data(), 12, 0), 0);
}

// The load of the sheet's records fetches them in their order as values and leaves the cache to
// the caller; a failure ends it with the records fetched before it, and the store writes those.
TEST_F(ConfigRecordsTest, TheRecordLoadReturnsWhatArrivedAndTheStoreWritesIt) {
  platform::StopToken none;
  const FetchedConfigRecords all = FetchConfigRecords(none);
  EXPECT_TRUE(all.complete);
  ASSERT_EQ(all.records.size(), std::size(kConfigFetchOrder));
  for (std::size_t i = 0; i < all.records.size(); ++i) {
    const uint8_t option = kConfigFetchOrder[i];
    EXPECT_EQ(all.records[i].option, option) << i;
    EXPECT_EQ(all.records[i].bytes, server->ConfigRecord(ConfigOptionNames[option])) << i;
  }
  EXPECT_EQ(CachedConfigRecord(kConfigIp)[0], 0);  // nothing stored yet
  EXPECT_EQ(server->Requests().size(), std::size(kConfigFetchOrder));

  server->QueueReply("/GetSysCfg.cgi", FakeReply::Text(std::string(24, 'i')));
  server->QueueReply("/GetSysCfg.cgi", FakeReply::Text(std::string(516, 's')));
  server->QueueReply("/GetSysCfg.cgi", FakeReply::Status(203));
  const FetchedConfigRecords cut = FetchConfigRecords(none);
  EXPECT_FALSE(cut.complete);
  ASSERT_EQ(cut.records.size(), 2u);
  EXPECT_EQ(cut.records[0].option, kConfigIp);
  EXPECT_EQ(cut.records[1].option, kConfigSmtp);
  StoreConfigRecords(cut);
  EXPECT_EQ(CachedConfigRecord(kConfigIp)[23], 'i');
  EXPECT_EQ(CachedConfigRecord(kConfigSmtp)[515], 's');
  EXPECT_EQ(CachedConfigRecord(kConfigFtp)[0], 0);
  // A record of another size than its place is not stored.
  StoreConfigRecords({{{kConfigFtp, std::vector<uint8_t>(10, 'f')}}, true});
  EXPECT_EQ(CachedConfigRecord(kConfigFtp)[0], 0);

  // A stop requested before the load: nothing is asked.
  const std::size_t asked = server->Requests().size();
  platform::Thread stopped;
  FetchedConfigRecords afterStop;
  ASSERT_TRUE(stopped.Start("StoppedLoad", [&](platform::StopToken stop) {
    stop.StopEvent().Wait();
    afterStop = FetchConfigRecords(stop);
    return 0u;
  }));
  EXPECT_TRUE(stopped.StopAndJoin(10000));
  EXPECT_FALSE(afterStop.complete);
  EXPECT_TRUE(afterStop.records.empty());
  EXPECT_EQ(server->Requests().size(), asked);
}

TEST_F(ConfigRecordsTest, TheMotionFetchBringsThePentaRecordOrNothing) {
  const std::optional<PentaRecord> fetched = FetchMotionRecord();
  ASSERT_TRUE(fetched);
  EXPECT_EQ(std::vector<uint8_t>(fetched->begin(), fetched->end()), server->ConfigRecord("PENTA"));
  EXPECT_EQ(server->Requests().back().target, "/GetSysCfg.cgi?Option=PENTA&Size=156");
  server->QueueReply("/GetSysCfg.cgi", FakeReply::Text(std::string(155, 'p')));
  EXPECT_FALSE(FetchMotionRecord());
}

}  // namespace
