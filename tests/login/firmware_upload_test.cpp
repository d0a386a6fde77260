// The firmware upload without windows: block targets and counts, progress in 64 bits, the file
// read whole or refused, the upload against the fake server's "/UpgradeFirmware.cgi" (sizes,
// session ids, a refused block, a stop that cuts a stalled block) and the abort request.
#include "net/firmware_upload.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <numeric>
#include <vector>

#include "fakes/fake_firmware.h"
#include "fakes/fake_video_server.h"
#include "fakes/temp_folder.h"
#include "net/net_environment.h"

namespace {

using fakes::FakeReply;
using namespace std::chrono_literals;

std::vector<std::uint8_t> Image(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return bytes;
}

TEST(FirmwareBlocksTest, TargetsNameTheBlockAndTheSession) {
  const struct {
    std::uint32_t block;
    std::uint32_t count;
    std::uint64_t size;
    const char* session;
    const char* target;
  } cases[] = {
      {0, 1, 900, "5A3F", "/UpgradeFirmware.cgi?Upgrade=Start&FileSize=900&SessionID=5A3F"},
      {0, 3, 1801, "", "/UpgradeFirmware.cgi?Upgrade=Start&FileSize=1801"},
      {1, 3, 1801, "5A3F", "/UpgradeFirmware.cgi?SessionID=5A3F"},
      {1, 3, 1801, "", "/UpgradeFirmware.cgi"},
      {2, 3, 1801, "5A3F", "/UpgradeFirmware.cgi?Upgrade=Finished&SessionID=5A3F"},
      {2, 3, 1801, "", "/UpgradeFirmware.cgi?Upgrade=Finished"},
      {0, 2, 1000, "a&b", ""},  // a session id that cannot travel: nothing is sent
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(net::FirmwareBlockUrl(c.block, c.count, c.size, c.session).Text(), c.target);
  }
  EXPECT_EQ(net::FirmwareAbortUrl("5A3F").Text(), "/UpgradeFirmware.cgi?Upgrade=Abort&Cookie=5A3F");
  EXPECT_EQ(net::FirmwareAbortUrl("").Text(), "/UpgradeFirmware.cgi?Upgrade=Abort");
}

TEST(FirmwareBlocksTest, CountsAndProgress) {
  const struct {
    std::uint64_t size;
    std::uint32_t blocks;
  } counts[] = {{0, 0}, {1, 1}, {899, 1}, {900, 1}, {901, 2}, {1800, 2}, {1801, 3}};
  for (const auto& c : counts)
    EXPECT_EQ(net::FirmwareBlockCount(c.size), c.blocks) << c.size;
  const struct {
    std::uint64_t size;
    std::uint64_t remaining;
    int percent;
  } progress[] = {
      {1801, 901, 49},
      {1801, 1, 99},
      {1801, 0, 100},
      {0, 0, 0},
      // 50 MB: the product passes 32 bits (the original's progress wrapped here).
      {50'000'000, 10'000'000, 80},
      {64ull << 20, 1, 99},
  };
  for (const auto& c : progress)
    EXPECT_EQ(net::FirmwareProgress(c.size, c.remaining), c.percent)
        << c.size << " " << c.remaining;
}

TEST(FirmwareFileTest, IsReadWholeOrRefused) {
  fakes::TempFolder folder;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(net::ReadFirmwareFile(folder / "missing.bin", data),
            net::FirmwareFileStatus::OpenFailed);

  fakes::TempFolder::Write(folder / "empty.bin", "");
  EXPECT_EQ(net::ReadFirmwareFile(folder / "empty.bin", data), net::FirmwareFileStatus::ReadFailed);

  EXPECT_EQ(net::ReadFirmwareFile(folder.Path(), data), net::FirmwareFileStatus::ReadFailed);

  // One byte above the limit (a sparse file, so nothing large is written).
  const auto huge = folder / "huge.bin";
  fakes::TempFolder::Write(huge, "");
  ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(net::kFirmwareMaxBytes + 1)), 0);
  EXPECT_EQ(net::ReadFirmwareFile(huge, data), net::FirmwareFileStatus::ReadFailed);
  EXPECT_TRUE(data.empty());

  const auto image = Image(1801);
  fakes::TempFolder::Write(folder / "fw.bin", std::string(image.begin(), image.end()));
  EXPECT_EQ(net::ReadFirmwareFile(folder / "fw.bin", data), net::FirmwareFileStatus::Read);
  EXPECT_EQ(data, image);
}

class FirmwareUploadTest : public ::testing::Test {
 protected:
  FirmwareUploadTest() {
    m_Environment.SetServerName("127.0.0.1");
    m_Environment.SetWebPort(m_Server.WebPort());
  }

  net::FirmwareUploadResult Upload(const std::vector<std::uint8_t>& image,
                                   const std::string& session) {
    m_Progress.clear();
    platform::StopToken never;
    return net::UploadFirmware(
        image, session, m_Environment, [this](int percent) { m_Progress.push_back(percent); },
        never);
  }

  fakes::FakeVideoServer m_Server;
  net::MemoryNetEnvironment m_Environment;
  std::vector<int> m_Progress;
};

TEST_F(FirmwareUploadTest, SendsTheFileInBlocksOf900) {
  const struct {
    std::size_t size;
    const char* session;
    std::vector<std::string> targets;
    std::vector<std::size_t> bodies;
    std::vector<int> progress;
  } cases[] = {
      {900,
       "5A3F19C2",
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=900&SessionID=5A3F19C2"},
       {900},
       {100}},
      {1801,
       "5A3F19C2",
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=1801&SessionID=5A3F19C2",
        "/UpgradeFirmware.cgi?SessionID=5A3F19C2",
        "/UpgradeFirmware.cgi?Upgrade=Finished&SessionID=5A3F19C2"},
       {900, 900, 1},
       {49, 99, 100}},
      {1801,
       "",
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=1801", "/UpgradeFirmware.cgi",
        "/UpgradeFirmware.cgi?Upgrade=Finished"},
       {900, 900, 1},
       {49, 99, 100}},
  };
  std::size_t seen = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const auto image = Image(c.size);
    const auto result = Upload(image, c.session);
    EXPECT_EQ(result.end, net::FirmwareUploadEnd::Finished);
    EXPECT_EQ(result.blocksSent, c.targets.size());
    EXPECT_EQ(m_Progress, c.progress);
    const auto requests = m_Server.Firmware().Requests();
    ASSERT_EQ(requests.size(), seen + c.targets.size());
    for (std::size_t i = 0; i < c.targets.size(); ++i) {
      EXPECT_EQ(requests[seen + i].target, c.targets[i]);
      EXPECT_EQ(requests[seen + i].body.size(), c.bodies[i]);
    }
    seen = requests.size();
    EXPECT_EQ(m_Server.Firmware().Image(), image);
    EXPECT_EQ(m_Server.Firmware().State().declaredSize, c.size);
    EXPECT_EQ(m_Server.Firmware().State().finished, c.targets.size() > 1);
  }
}

TEST_F(FirmwareUploadTest, ARefusedBlockEndsTheUpload) {
  m_Server.Firmware().SetBlockReply(2, FakeReply::Status(205));
  const auto result = Upload(Image(2700), "S1");
  EXPECT_EQ(result.end, net::FirmwareUploadEnd::BlockFailed);
  EXPECT_EQ(result.failedResult, 21);
  EXPECT_EQ(result.blocksSent, 1u);
  EXPECT_EQ(m_Progress, std::vector<int>{33});
  EXPECT_EQ(m_Server.Firmware().Requests().size(), 2u);
  EXPECT_FALSE(m_Server.Firmware().State().aborted);
}

TEST_F(FirmwareUploadTest, AStopCutsTheStalledBlockAndSendsNothingMore) {
  FakeReply stall = FakeReply::Status(200);
  stall.delay = 60s;  // released only when the server stops
  m_Server.Firmware().SetBlockReply(2, stall);
  const auto image = Image(4000);
  std::mutex lock;
  std::optional<net::FirmwareUploadResult> result;
  platform::Thread upload;
  ASSERT_TRUE(upload.Start("upload", [&](platform::StopToken stop) {
    auto ended = net::UploadFirmware(image, "S1", m_Environment, {}, stop);
    std::lock_guard guard(lock);
    result = ended;
    return 0u;
  }));
  ASSERT_TRUE(m_Server.WaitForRequests(2, 20s));
  EXPECT_TRUE(upload.StopAndJoin(20000));
  {
    std::lock_guard guard(lock);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->end, net::FirmwareUploadEnd::Stopped);
    EXPECT_EQ(result->blocksSent, 1u);
  }
  // The abort goes after the upload ended; the stalled block is still held by the server.
  EXPECT_EQ(net::SendFirmwareAbort("S1", m_Environment), 1);
  const auto requests = m_Server.Firmware().Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].target, "/UpgradeFirmware.cgi?Upgrade=Abort&Cookie=S1");
  EXPECT_TRUE(requests[2].body.empty());
  EXPECT_TRUE(m_Server.Firmware().State().aborted);
  EXPECT_FALSE(m_Server.Firmware().State().finished);
}

}  // namespace
