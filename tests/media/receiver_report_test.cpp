// Receiver report: the period's values, the datagrams that reach the server's web port every
// five seconds (driven by a manual clock), and the closing datagram.
#include "media/receiver_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "app/app_data.h"
#include "fakes/fake_video_server.h"
#include "platform/testing/manual_clock.h"

namespace {

struct ValuesCase {
  std::string name;
  std::uint32_t received, lost, shown, bitRate;
  std::uint8_t standard;
  std::string body;
};

class ReportValuesTest : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(ReportValuesTest, BodyFromThePeriodsCounters) {
  const ValuesCase& c = GetParam();
  CAppData app;
  app.m_dwReceivedPackets = c.received;
  app.m_dwLostPackets = c.lost;
  app.m_dwShownFrames = c.shown;
  app.m_dwBitRate = c.bitRate;
  app.m_byVideoStandard = c.standard;
  const ReceiverReportValues values = TakeReceiverReportValues(app);
  EXPECT_EQ(BuildReceiverReportBody("S1", values), c.body);
  EXPECT_EQ(app.m_dwReceivedPackets.load(), 0u);
  EXPECT_EQ(app.m_dwLostPackets.load(), 0u);
  EXPECT_EQ(app.m_dwShownFrames.load(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReportValuesTest,
    ::testing::Values(
        ValuesCase{"NothingCounted", 0, 5, 100, 300, 1, "Session: S1\r\n"},
        ValuesCase{"ThreeOf200", 200, 3, 150, 512, 1,
                   "Session: S1\r\nLosePercent: 1\r\nBitRate: 512\r\nFrameRate: 30\r\n"},
        ValuesCase{"CappedAt25", 10, 0, 160, 7, 2,
                   "Session: S1\r\nLosePercent: 0\r\nBitRate: 7\r\nFrameRate: 25\r\n"},
        ValuesCase{"CappedAt30", 10, 0, 200, 7, 1,
                   "Session: S1\r\nLosePercent: 0\r\nBitRate: 7\r\nFrameRate: 30\r\n"},
        ValuesCase{"BelowTheCap", 10, 10, 60, 7, 2,
                   "Session: S1\r\nLosePercent: 100\r\nBitRate: 7\r\nFrameRate: 12\r\n"},
        ValuesCase{"LargeLossDoesNotWrap", 100, 50'000'000, 0, 0, 1,
                   "Session: S1\r\nLosePercent: 50000000\r\nBitRate: 0\r\nFrameRate: 0\r\n"}),
    [](const auto& info) { return info.param.name; });

TEST(ReceiverReportTest, CloseBodyAndHeader) {
  EXPECT_EQ(BuildReceiverCloseBody("S1"), "Session: S1\r\nConnection: Close\r\n");
  const std::string report = BuildReceiverReport("127.0.0.1", "Session: S1\r\n");
  EXPECT_NE(report.find("Host: 127.0.0.1\r\nConnection: Keep-Alive\r\nContent-Lentght: 13\r\n\r\n"
                        "Session: S1\r\n"),
            std::string::npos);
}

class ReportThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_setup.serverAddress = "127.0.0.1";
    m_setup.webPort = m_server.WebPort();
    m_setup.localAddress = "127.0.0.1";
    m_setup.session = "SID9";
    m_setup.app = &m_app;
    m_setup.requestSent = std::make_shared<platform::Event>(platform::ResetMode::Manual);
    m_setup.stop = std::make_shared<platform::Event>();
    m_setup.clock = &m_clock;
  }
  void Start() {
    m_thread.Start("report",
                   [this](platform::StopToken stop) { return RunReceiverReport(m_setup, stop); });
  }

  fakes::FakeVideoServer m_server;
  CAppData m_app;
  platform::testing::ManualClock m_clock{1000};
  ReceiverReportSetup m_setup;
  // Declared last: on every path, failed assertions included, its destructor stops and joins
  // the report thread while the clock, the data block and the server are still there.
  platform::Thread m_thread;
};

TEST_F(ReportThreadTest, ReportsEveryFiveSecondsThenCloses) {
  Start();
  m_setup.requestSent->Set();
  ASSERT_TRUE(m_clock.WaitForWaiters(1));
  m_app.m_dwReceivedPackets = 200;
  m_app.m_dwLostPackets = 3;
  m_app.m_dwShownFrames = 125;
  m_app.m_dwBitRate = 800;
  m_clock.Advance(4999);
  EXPECT_FALSE(m_server.WaitForDatagrams(1, std::chrono::milliseconds(50)));
  m_clock.Advance(1);
  ASSERT_TRUE(m_server.WaitForDatagrams(1, std::chrono::milliseconds(10000)));
  ASSERT_TRUE(m_clock.WaitForWaiters(1));
  m_clock.Advance(5000);
  ASSERT_TRUE(m_server.WaitForDatagrams(2, std::chrono::milliseconds(10000)));
  m_setup.stop->Set();
  ASSERT_TRUE(m_thread.Join(10000));
  ASSERT_TRUE(m_server.WaitForDatagrams(3, std::chrono::milliseconds(10000)));
  const auto datagrams = m_server.Datagrams();
  ASSERT_EQ(datagrams.size(), 3u);
  EXPECT_NE(datagrams[0].find("\r\n\r\nSession: SID9\r\nLosePercent: 1\r\nBitRate: 800\r\n"
                              "FrameRate: 25\r\n"),
            std::string::npos);
  const std::string quiet = "\r\n\r\nSession: SID9\r\n";
  EXPECT_EQ(datagrams[1].substr(datagrams[1].size() - quiet.size()), quiet);
  const std::string close = "\r\n\r\nSession: SID9\r\nConnection: Close\r\n";
  EXPECT_EQ(datagrams[2].substr(datagrams[2].size() - close.size()), close);
}

TEST_F(ReportThreadTest, StopBeforeAnyStreamRequestSendsNothing) {
  Start();
  m_setup.stop->Set();
  ASSERT_TRUE(m_thread.Join(10000));
  EXPECT_FALSE(m_server.WaitForDatagrams(1, std::chrono::milliseconds(100)));
}

}  // namespace
