// The server log's formats and download against the fake server: the count reply, the record
// fields and texts, the batches a download asks for, and its malformed replies.
#include <gtest/gtest.h>

#include <atomic>
#include <string_view>

#include "fakes/fake_server_log.h"
#include "fakes/fake_video_server.h"
#include "net/net_environment.h"
#include "net/server_log.h"
#include "platform/thread.h"

namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(ServerLogFormat, CountReplies) {
  const struct {
    std::string_view reply;
    std::optional<std::uint32_t> count;
  } cases[] = {
      {"LogCount=500;", 500u},
      {"ID=7;LogCount=12;Other=1;", 12u},
      {"LogCount=0;", 0u},
      {"LogCount=77", 77u},
      {"LogCount=99999999999;", 0xFFFFFFFFu},
      {"LogCount=;", std::nullopt},
      {"LogCount=12abc;", std::nullopt},
      {"LogCount=-3;", std::nullopt},
      {"Count=5;", std::nullopt},
      {"LogCou", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(net::ParseLogCount(Bytes(c.reply)), c.count) << c.reply;
  // Only the bytes of the reply are searched.
  const std::string_view held = "LogCount=9;";
  EXPECT_EQ(net::ParseLogCount(Bytes(held).first(8)), std::nullopt);
  EXPECT_EQ(net::ParseLogCount(Bytes(held).first(10)), 9u);
}

TEST(ServerLogFormat, FetchCountAndBatchSize) {
  const struct {
    std::uint32_t count, maximum, fetch;
  } fetches[] = {{500, 300, 300}, {12, 300, 300}, {30, 300, 300}, {31, 300, 31}, {45, 40, 40}};
  for (const auto& f : fetches)
    EXPECT_EQ(net::LogFetchCount(f.count, f.maximum), f.fetch) << f.count << " " << f.maximum;
  EXPECT_EQ(net::LogBatchSize(300), 30u);
  EXPECT_EQ(net::LogBatchSize(30), 30u);
  EXPECT_EQ(net::LogBatchSize(7), 7u);
}

TEST(ServerLogFormat, RecordFieldsAndTexts) {
  const auto bytes = fakes::LogRecord(4, 2024, 3, 18, 8, 5, 41, "admin", 50);
  const net::LogRecord r = net::ParseLogRecord(std::span(bytes).first<32>());
  EXPECT_EQ(r.kind, 4u);
  EXPECT_EQ(net::LogTimeText(r), "2024-03-18 08:05:41");
  EXPECT_EQ(r.user, "admin");
  EXPECT_EQ(net::LogEventText(r), "admin LOGIN");
  // A name that fills its 16 bytes is read within them.
  const auto full = fakes::LogRecord(4, 2024, 1, 2, 3, 4, 5, "sixteen-chars-xy", 51);
  EXPECT_EQ(net::LogEventText(net::ParseLogRecord(std::span(full).first<32>())),
            "sixteen-chars-xy LOGOUT");
  const std::pair<std::uint8_t, const char*> events[] = {{1, "SERVER_POWER_ON"},
                                                         {2, "SERVER_SHUTDWON"},
                                                         {3, "SERVER_RESET"},
                                                         {4, "SERVER_RESET_DEFAULT"},
                                                         {100, "SMTP_FAIL"},
                                                         {101, "FTP_FAIL"},
                                                         {102, "SNTP_FAIL"},
                                                         {103, "DNS_FAIL"},
                                                         {104, "DDNS_FAIL"},
                                                         {77, "77"},
                                                         {0, "0"}};
  for (const auto& [code, text] : events) {
    net::LogRecord e;
    e.event = code;
    EXPECT_EQ(net::LogEventText(e), text) << int{code};
  }
  const std::pair<std::uint32_t, const char*> kinds[] = {
      {1, "SYSTEM"}, {2, "ERROR"}, {4, "USER"}, {3, "3"}};
  for (const auto& [kind, text] : kinds)
    EXPECT_EQ(net::LogKindText(kind), text);
}

class ServerLogDownload : public ::testing::Test {
 public:
  void SetUp() override {
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server.WebPort());
    net::SetEnvironment(&environment);
  }
  void TearDown() override { net::SetEnvironment(nullptr); }

  static std::vector<fakes::LogRecordBytes> Records(std::size_t n) {
    std::vector<fakes::LogRecordBytes> records;
    for (std::size_t i = 0; i < n; ++i)
      records.push_back(
          fakes::LogRecord(1 << (i % 3), 2024, 1, 1, 0, 0, static_cast<int>(i % 60), "u", 1));
    return records;
  }
  std::uint32_t Download(std::uint32_t maximum, std::string session = "S1") {
    platform::StopToken never;
    return net::DownloadServerLog(
        maximum, session, download,
        [this](std::uint32_t received, std::uint32_t total) {
          progress.emplace_back(received, total);
        },
        never);
  }
  // The batch requests as "Size" values, with "S" for the one that starts.
  std::vector<std::string> Batches() const {
    std::vector<std::string> batches;
    for (const auto& r : server.RequestsTo("/GetLog.cgi")) {
      if (r.Param("LogEvent") == "LogCount")
        continue;
      batches.push_back((r.Param("LogEvent") == "Start" ? "S" : "") +
                        r.Param("Size").value_or("?"));
    }
    return batches;
  }

  fakes::FakeVideoServer server;
  net::MemoryNetEnvironment environment;
  net::LogDownload download;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
};

TEST_F(ServerLogDownload, BatchesFollowTheCountAndTheMaximum) {
  const struct {
    std::size_t records;
    std::uint32_t maximum;
    std::vector<std::string> batches;
    std::uint32_t received;
  } cases[] = {
      {500, 300, {"S30", "30", "30", "30", "30", "30", "30", "30", "30", "30"}, 300},
      {12, 300, {"S30"}, 12},
      {45, 300, {"S30", "15"}, 45},
      {100, 40, {"S30", "10"}, 40},
      {2100, 2047, std::vector<std::string>(1, "S30"), 2047},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.records);
    server.ClearRecords();
    server.ServerLog().SetRecords(Records(c.records));
    download = {};
    EXPECT_EQ(Download(c.maximum), net::kLogDownloaded);
    EXPECT_EQ(download.received, c.received);
    const auto batches = Batches();
    if (c.records == 2100) {
      EXPECT_EQ(batches.size(), 69u);  // 68 of 30, then 7
      EXPECT_EQ(batches.back(), "7");
    } else {
      EXPECT_EQ(batches, c.batches);
    }
    // Records arrive in order, each where the previous batch ended.
    const auto last = Records(c.records).at(download.received - 1);
    EXPECT_TRUE(std::equal(last.begin(), last.end(),
                           download.buffer.begin() + (download.received - 1) * 32));
  }
  const auto count = server.RequestsTo("/GetLog.cgi").front();
  EXPECT_EQ(count.target, "/GetLog.cgi?SessionID=S1&LogEvent=LogCount");
  const auto first = server.RequestsTo("/GetLog.cgi").at(1);
  EXPECT_EQ(first.target, "/GetLog.cgi?SessionID=S1&LogEvent=Start&ID=7&Size=30");
}

TEST_F(ServerLogDownload, AnEmptySessionSendsNoSessionId) {
  EXPECT_EQ(Download(300, ""), net::kLogDownloaded);
  EXPECT_EQ(server.RequestsTo("/GetLog.cgi").front().target, "/GetLog.cgi?LogEvent=LogCount");
  EXPECT_EQ(download.received, 14u);
  EXPECT_EQ(progress, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{14, 300}}));
}

TEST_F(ServerLogDownload, FewerOrMoreRecordsThanAsked) {
  server.ServerLog().SetRecords(Records(500));
  server.ServerLog().SetBatchLimit(12);
  EXPECT_EQ(Download(300), net::kLogDownloaded);
  EXPECT_EQ(download.received, 12u);
  EXPECT_EQ(Batches(), std::vector<std::string>{"S30"});

  server.ClearRecords();
  server.ServerLog().SetBatchLimit(std::nullopt);
  server.ServerLog().SetRecords(Records(100));
  server.ServerLog().SetExtraRecords(5);  // 35 a batch, while they last
  EXPECT_EQ(Download(300), net::kLogDownloaded);
  EXPECT_EQ(download.received, 100u);
  EXPECT_EQ(Batches(), (std::vector<std::string>{"S30", "30", "30"}));
}

TEST_F(ServerLogDownload, MalformedRepliesFailOrCountWholeRecords) {
  const struct {
    const char* name;
    std::function<void(fakes::FakeServerLog&)> fault;
    std::uint32_t result;
    std::uint32_t received;
  } cases[] = {
      {"no count", [](fakes::FakeServerLog& l) { l.SetCountReply("Records=5;"); }, net::kLogFailed,
       0},
      {"count not a number", [](fakes::FakeServerLog& l) { l.SetCountReply("LogCount=ab;"); },
       net::kLogFailed, 0},
      {"count 0", [](fakes::FakeServerLog& l) { l.SetCountReply("LogCount=0;"); }, net::kLogFailed,
       0},
      {"a batch longer than the buffer's room",
       [](fakes::FakeServerLog& l) {
         l.SetRecords(Records(2100));
         l.SetExtraRecords(3000);
       },
       net::kLogFailed, 0},
      {"a part of a record at the end", [](fakes::FakeServerLog& l) { l.SetTrailingBytes(5); },
       net::kLogDownloaded, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeVideoServer faulty;
    environment.SetWebPort(faulty.WebPort());
    c.fault(faulty.ServerLog());
    download = {};
    EXPECT_EQ(Download(300), c.result);
    EXPECT_EQ(download.received, c.received);
  }
}

TEST_F(ServerLogDownload, AStopCutsAStalledBatch) {
  server.ServerLog().SetStall(std::chrono::seconds(30));
  std::atomic<std::uint32_t> result{99};
  platform::Thread thread;
  ASSERT_TRUE(thread.Start("log", [&](platform::StopToken stop) {
    result = net::DownloadServerLog(300, "S1", download, {}, stop);
    return 0u;
  }));
  ASSERT_TRUE(server.WaitForRequests(2, std::chrono::seconds(10)));
  EXPECT_TRUE(thread.StopAndJoin(10000));
  EXPECT_EQ(result.load(), net::kLogStopped);
  EXPECT_EQ(download.received, 0u);
}

TEST_F(ServerLogDownload, EraseClearsTheLogOrFails) {
  EXPECT_EQ(net::EraseServerLog("S1"), net::kLogErased);
  EXPECT_EQ(server.ServerLog().RecordCount(), 0u);
  EXPECT_EQ(server.RequestsTo("/GetLog.cgi").back().target,
            "/GetLog.cgi?SessionID=S1&LogEvent=Erase");
  server.ServerLog().SetRecords(Records(3));
  server.ServerLog().SetEraseStatus(205);
  EXPECT_EQ(net::EraseServerLog("S1"), net::kLogFailed);
  EXPECT_EQ(server.ServerLog().RecordCount(), 3u);
}

TEST_F(ServerLogDownload, AStopCutsAStalledErase) {
  server.ServerLog().SetStall(std::chrono::seconds(30));
  std::atomic<std::uint32_t> result{99};
  platform::Thread thread;
  ASSERT_TRUE(thread.Start("erase", [&](platform::StopToken stop) {
    result = net::EraseServerLog("S1", stop);
    return 0u;
  }));
  ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(10)));
  EXPECT_TRUE(thread.StopAndJoin(10000));
  EXPECT_EQ(result.load(), net::kLogStopped);
}

}  // namespace
