// Device commands: frames built from the command bytes, and what the fake server receives.
#include "net/rs485_command.h"

#include <gtest/gtest.h>

#include "app/app_data.h"
#include "net/ctrl_file.h"
#include "net/net_messages.h"
#include "net_test_environment.h"
#include "platform/testing/fake_message_box.h"

namespace {

using fakes::FakeReply;
using Bytes = std::vector<uint8_t>;

// A command from one file line, owned by a device with parameters 0..15 = 0xE0..0xEF.
struct OneCommand {
  CtrlFileContents contents;
  const DeviceCommand& command() const { return contents.devices[0].commands[0]; }
  explicit OneCommand(const std::string& line) {
    contents = net::ParseCtrlFile("[Device Number]\n1\n[Device Name]\nX\n[CH1]\n" + line + "\n");
    for (uint8_t i = 0; i < 16; ++i)
      contents.devices[0].parameters[i] = 0xE0 + i;
  }
};

std::optional<Bytes> Frame(const std::string& line, net::Rs485Values values = {}) {
  const OneCommand one(line);
  return net::BuildRs485Frame(one.command(), values);
}

TEST(Rs485Frame, WorkedExampleAndHexText) {
  net::Rs485Values values;
  values.deviceId = 1;
  const auto frame = Frame("0x05 0xFF 0xC0 0x%d 0x57 0x7F", values);
  ASSERT_TRUE(frame);
  EXPECT_EQ(*frame, (Bytes{0x05, 0xFF, 0xC0, 0x01, 0x57, 0x7F, 0x01, 0x32}));
  EXPECT_EQ(net::FrameHexText(*frame), "05ffc001577f0132");
}

TEST(Rs485Frame, PlaceholderTable) {
  net::Rs485Values values;
  values.deviceId = 0x21;
  values.userRightsRow = 2;  // GUEST
  values.ptzNumber = 3;
  values.repeat = 4;
  struct Case {
    const char* name;
    const char* line;
    std::optional<Bytes> frame;
  };
  const Case cases[] = {
      {"device id", "0x01 0x%d", Bytes{1, 0x21, 4, 0x32}},
      {"authority", "0x01 0x%1", Bytes{1, 4, 4, 0x32}},
      {"ptz number", "0x01 0x%b", Bytes{1, 3, 4, 0x32}},
      {"sum after 10 20 F0", "0x04 0x10 0x20 0xF0 0x%2", Bytes{4, 0x10, 0x20, 0xF0, 0x20, 4, 0x32}},
      {"parameter slot", "0x02 0x%7 0x%4", Bytes{2, 0xE7, 0xE4, 4, 0x32}},
      {"unmarked 0D is literal", "0x01 0x0D", Bytes{1, 0x0D, 4, 0x32}},
      {"form A without R.E.T.R.", "0x07 0x%A 0x02 0x11 0x%d 0x0A 0x01 0x%d",
       Bytes{1, 0x21, 4, 0x32}},
      {"form A without separator", "0x04 0x%A 0x02 0x11 0x%d", std::nullopt},
      {"form A count past the end", "0x04 0x%A 0x0A 0x09 0x11", std::nullopt},
      {"form B literal pairs", "0x09 0x%3 0x05 0xA5 0x%d 0x%4 0x02 0x%2 0x%5 0xAF",
       Bytes{5, 0xA5, 0x21, 0x02, 0xC8, 0xAF, 0, 0}},
      {"form B other codes give 0", "0x04 0x%3 0x02 0x%7 0x11", Bytes{2, 0, 0x11, 0, 0}},
      {"form B ends at zero after n", "0x05 0x%3 0x01 0x11 0x00 0x22", Bytes{1, 0x11, 0, 0}},
      {"form B pair past the end", "0x03 0x%3 0x01 0x%4", std::nullopt},
      {"form B count over 61", "0x03 0x%3 0x3E 0x11", std::nullopt},
      {"form C of 61 bytes", nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    if (c.line == nullptr)
      continue;
    EXPECT_EQ(Frame(c.line, values), c.frame) << c.name;
  }
  values.retrOn = true;
  EXPECT_EQ(Frame("0x07 0x%A 0x02 0x11 0x%d 0x0A 0x01 0x%d", values),
            (Bytes{2, 0x11, 0x21, 4, 0x32}));
  values.userRightsRow = 4;  // no such row
  EXPECT_EQ(Frame("0x01 0x%1", values), std::nullopt);
}

TEST(Rs485Frame, FramesNeverExceedSixtyFourBytes) {
  auto line = [](int n) {
    char head[8];
    std::snprintf(head, sizeof head, "0x%02X", n);
    std::string text = head;
    for (int i = 0; i < n; ++i)
      text += " 0x33";
    return text;
  };
  const auto fits = Frame(line(61));
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->size(), 64u);
  EXPECT_EQ(Frame(line(62)), std::nullopt);
  // Byte 40 marked (a mark past the 32nd byte): only it takes the device id.
  std::string marked = "0x30";
  for (int i = 0; i < 48; ++i)
    marked += i == 40 ? " 0x%d" : " 0x0D";
  net::Rs485Values values;
  values.deviceId = 0x77;
  const auto frame = Frame(marked, values);
  ASSERT_TRUE(frame);
  for (int i = 0; i < 48; ++i)
    EXPECT_EQ((*frame)[1 + i], i == 40 ? 0x77 : 0x0D) << i;
}

class Rs485SendTest : public net::testing::FakeServerTest {
 protected:
  void SetUp() override {
    FakeServerTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
    ASSERT_EQ(LoadCtrlFileFrom(std::filesystem::path(NET_SOURCE_DIR) / "CtrlFile.ini"), 1);
    MatchCtrlFileDevices();
    g_lpApp->m_SettingINI.m_bySelectedChannel = 1;  // channel 1
    g_lpApp->m_SettingINI.m_byChannel1Device = 2;   // "DVR 4CH"
    g_lpApp->m_SettingINI.m_byChannel2Device = 8;   // "PTZ"
    g_lpApp->m_abyChannelDeviceId[0] = 0x11;
    g_lpApp->m_abyChannelDeviceId[1] = 0x22;
    g_lpApp->m_abyChannelPtzNumber[1] = 3;
    environment.SetSessionId("S9");
  }
  void TearDown() override {
    FreeCtrlFileDevices();
    g_lpApp.reset();
    FakeServerTest::TearDown();
  }
  // A panel key as the program sends it: the request prepared, then sent when there is one
  // (and accepted). The message the window shows instead of sending, 0 for none.
  int PressKey(uint32_t useRepeat, uint16_t index) {
    const net::PreparedRs485 prepared = PrepareDeviceCommand(useRepeat, index);
    if (prepared.request) {
      EXPECT_EQ(net::SendRs485Request(*prepared.request), 1) << "key " << index;
    }
    return prepared.message;
  }
  fakes::RecordedRequest LastRequest() const {
    const auto requests = server->Requests();
    return requests.empty() ? fakes::RecordedRequest{} : requests.back();
  }
  std::shared_ptr<platform::testing::FakeMessageBox> box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox scoped{box};
};

TEST_F(Rs485SendTest, KeyCommandArrivesByteByByte) {
  EXPECT_EQ(PressKey(0, 0), 0);  // [CH1] of "DVR 4CH": FF C0 id 01 7F
  ASSERT_EQ(server->Requests().size(), 1u);
  const Bytes expected = {0x05, 0xFF, 0xC0, 0x11, 0x01, 0x7F, 0x01, 0x32};
  EXPECT_EQ(LastRequest().target, "/RS485Cmd.cgi?Command=05ffc011017f0132&SessionID=S9");
  EXPECT_EQ(LastRequest().body, expected);
  EXPECT_EQ(LastRequest().Header("Content-Length"), "8");
  EXPECT_EQ(box->Count(), 0u);

  // Channel 2: the PTZ with its PTZ number, speed parameter and sum.
  g_lpApp->m_SettingINI.m_bySelectedChannel = 2;
  EXPECT_EQ(PressKey(0, 30), 0);  // [ZOOM_IN]: A0 id ptz 20 speed sum
  const uint8_t sum = static_cast<uint8_t>(0xA0 + 0x22 + 3 + 0x20 + 0x20);
  EXPECT_EQ(LastRequest().body, (Bytes{0x06, 0xA0, 0x22, 0x03, 0x20, 0x20, sum, 0x01, 0x32}));
}

TEST_F(Rs485SendTest, RepeatCountComesFromTheRs485Record) {
  struct Case {
    uint8_t configured;
    uint8_t sent;
  };
  for (const Case c : {Case{0, 5}, Case{11, 5}, Case{3, 3}, Case{1, 1}, Case{10, 10}}) {
    g_lpApp->m_Rs485Config[2] = c.configured;
    PressKey(1, 0);
    const Bytes body = LastRequest().body;
    ASSERT_EQ(body.size(), 8u);
    EXPECT_EQ(body[6], c.sent) << int{c.configured};
  }
}

TEST_F(Rs485SendTest, RetrModeSendsOnlyTheAlarmKey) {
  g_lpApp->m_byDeviceType = kRetrDeviceType;
  g_lpApp->m_bRetrOn = 1;
  EXPECT_EQ(PressKey(0, 0), 0);
  EXPECT_EQ(server->Requests().size(), 0u);
  EXPECT_EQ(PressKey(0, kRetrCommandIndex), 0);
  ASSERT_EQ(server->Requests().size(), 1u);
  EXPECT_EQ(LastRequest().body[4], 0x45);  // the alarm key code
  EXPECT_EQ(box->Count(), 0u);
}

TEST_F(Rs485SendTest, MissingCommandsAndKindsShowTheirMessage) {
  struct Case {
    const char* name;
    uint8_t kind;
    uint16_t index;
    std::string message;
  };
  const Case cases[] = {
      {"key without command", 2, 20, "Web Server don't support this command!"},  // [16CUT]
      {"kind outside the table", 200, 0, "It couldn't find this device command protocol"},
  };
  for (const Case& c : cases) {
    g_lpApp->m_SettingINI.m_byChannel1Device = c.kind;
    EXPECT_EQ(net::MessageText(PressKey(0, c.index)), c.message) << c.name;
  }
  EXPECT_EQ(PressKey(0, 65), 0);  // no such key: refused quietly
  EXPECT_EQ(server->Requests().size(), 0u);
  DeviceCommandTable[2].device = nullptr;  // a kind the file does not describe
  g_lpApp->m_SettingINI.m_byChannel1Device = 2;
  EXPECT_EQ(net::MessageText(PressKey(0, 0)), "It couldn't find this device command protocol");
  EXPECT_EQ(server->Requests().size(), 0u);
  EXPECT_EQ(box->Count(), 0u);  // the window shows the message, not the preparation
}

TEST_F(Rs485SendTest, RefusedCommandIsNotAccepted) {
  server->QueueReply("/RS485Cmd.cgi", FakeReply::Status(204));
  const net::PreparedRs485 prepared =
      PrepareRS485Command(&DeviceCommandTable[2].device->commands[0], 1, 1);
  ASSERT_TRUE(prepared.request);
  EXPECT_EQ(prepared.message, 0);
  EXPECT_EQ(net::SendRs485Request(*prepared.request), 20);  // the refusal status 204
  EXPECT_EQ(server->Requests().size(), 1u);
  EXPECT_EQ(box->Count(), 0u);  // the sender shows nothing: its caller decides
  const net::PreparedRs485 none = PrepareRS485Command(nullptr, 1, 1);
  EXPECT_FALSE(none.request);
  EXPECT_EQ(net::MessageText(none.message), "Web Server don't support this command!");
}

TEST_F(Rs485SendTest, EveryShippedCommandFrames) {
  // Every command of the shipped file fits a frame, in both R.E.T.R. modes.
  for (const DeviceKindRow& row : DeviceCommandTable) {
    ASSERT_NE(row.device, nullptr) << row.name;
    for (const DeviceCommand& cmd : row.device->commands) {
      if (cmd.length == 0)
        continue;
      for (const bool retr : {false, true}) {
        net::Rs485Values values;
        values.retrOn = retr;
        EXPECT_TRUE(net::BuildRs485Frame(cmd, values)) << row.name;
      }
    }
  }
}

}  // namespace
