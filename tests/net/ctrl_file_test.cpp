#include "net/ctrl_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_data.h"
#include "net/net_messages.h"
#include "platform/testing/fake_message_box.h"

namespace {

using net::ParseCtrlFile;

std::string Device(const std::string& body, int count = 1) {
  return "[Device Number]\n" + std::to_string(count) + "\n[Device Name]\ndvr 4ch\n" + body;
}

TEST(CtrlFile, CommandLineBytesAndMarks) {
  const CtrlFileContents c =
      ParseCtrlFile(Device("[CH1]\n0x05 0xFF\t0xc0 0x%d 0x57 0x7F\r\n[EOF]\nEnd\n"));
  ASSERT_EQ(c.count, 1);
  EXPECT_TRUE(c.messages.empty());
  const DeviceCommand& cmd = c.devices[0].commands[0];
  EXPECT_EQ(cmd.length, 5u);
  EXPECT_EQ(cmd.bytes, (std::vector<uint8_t>{0xFF, 0xC0, 0x0D, 0x57, 0x7F}));
  EXPECT_FALSE(cmd.IsMarked(0));
  EXPECT_TRUE(cmd.IsMarked(2));
  EXPECT_EQ(cmd.placeholderMask.count(), 1u);
  EXPECT_EQ(cmd.owner, &c.devices[0]);
  EXPECT_EQ(c.devices[0].name, "DVR 4CH");
}

TEST(CtrlFile, ValueReadingTable) {
  struct Case {
    const char* name;
    std::string line;
    std::vector<uint8_t> bytes;
    std::vector<std::size_t> marks;
    std::vector<int> messages;
  };
  const std::vector<Case> cases = {
      {"one digit reads as high digit", "0x02 0x5 0x7", {0x50, 0x70}, {}, {}},
      {"non-hex adds 0", "0x02 0xG1 0xZZ", {0x01, 0x00}, {}, {}},
      {"placeholder codes", "0x03 0x%d 0x%2 0x%b", {0x0D, 0x02, 0x0B}, {0, 1, 2}, {}},
      {"extra values ignored", "0x01 0x11 0x22 0x33", {0x11}, {}, {}},
      {"missing values keep what was read", "0x04 0x11 0x22", {0x11, 0x22, 0x00, 0x00}, {}, {4051}},
      {"empty command", "0x00", {}, {}, {}},
      {"no X at all", "garbage", {}, {}, {4051}},
      {"line end after X", "0x01 0x", {0x00}, {}, {}},
  };
  for (const Case& c : cases) {
    const CtrlFileContents parsed = ParseCtrlFile(Device("[ESC]\n" + c.line + "\n"));
    const DeviceCommand& cmd = parsed.devices[0].commands[25];
    EXPECT_EQ(cmd.bytes, c.bytes) << c.name;
    EXPECT_EQ(cmd.length, c.bytes.size()) << c.name;
    EXPECT_EQ(cmd.placeholderMask.count(), c.marks.size()) << c.name;
    for (const std::size_t m : c.marks)
      EXPECT_TRUE(cmd.IsMarked(m)) << c.name << " byte " << m;
    EXPECT_EQ(parsed.messages, c.messages) << c.name;
  }
}

TEST(CtrlFile, MarksBeyondByte31StayOnTheirOwnByte) {
  std::string line = "0x28";  // 40 bytes, only byte 35 marked
  for (int i = 0; i < 40; ++i)
    line += i == 35 ? " 0x%d" : " 0x11";
  const CtrlFileContents c = ParseCtrlFile(Device("[CH2]\n" + line + "\n"));
  const DeviceCommand& cmd = c.devices[0].commands[1];
  ASSERT_EQ(cmd.length, 40u);
  EXPECT_EQ(cmd.placeholderMask.count(), 1u);
  EXPECT_TRUE(cmd.IsMarked(35));
  EXPECT_FALSE(cmd.IsMarked(3));  // 35 mod 32
}

TEST(CtrlFile, SectionLines) {
  const CtrlFileContents c = ParseCtrlFile(
      Device("[power]\n0x01 0x01\n"   // lower case selects POWER
             "[POWER] \n0x01 0x02\n"  // a trailing blank matches no key: the value is refused
             " [CH3]\n"               // starts with a blank: a value line of no section
             "; comment\n\n[display]\n7\n[UNKNOWN]\n0x01 0x03\n"));
  ASSERT_EQ(c.count, 1);
  EXPECT_EQ(c.devices[0].powerCommand.bytes, std::vector<uint8_t>{0x01});
  EXPECT_EQ(c.devices[0].display, 7);
  EXPECT_EQ(c.devices[0].commands[2].length, 0u);
  EXPECT_EQ(c.messages, (std::vector<int>{4084, 4084, 4084}));
}

TEST(CtrlFile, ParametersAndLimits) {
  const std::string longName(200, 'N');
  const CtrlFileContents c = ParseCtrlFile(
      "[CH1]\n0x01 0x01\n"                        // before any device: ignored
      "[Device Number]\n2\n[Device Number]\n9\n"  // the second count is ignored
      "[Device Name]\n" +
      longName +
      "\n"
      "[Parameter]\n%3 = 0xA5\n%9 = 0x1\n%A = 0x11\n%- = 0x22\n%\n"
      "[Device Name]\nSECOND\n[Device Name]\nTHIRD\n[CH1]\n0x01 0x77\n"  // beyond the count
      "[EOF]\nnot yet\n[CH2]\n0x01 0x02\n[EOF]\nEND\n[CH3]\n0x01 0x03\n");
  ASSERT_EQ(c.count, 2);
  EXPECT_EQ(c.devices[0].name, std::string(79, 'N'));
  EXPECT_EQ(c.devices[0].parameters[3], 0xA5);
  EXPECT_EQ(c.devices[0].parameters[9], 0x10);
  EXPECT_EQ(c.devices[0].parameters[10], 0);
  EXPECT_EQ(c.devices[0].commands[0].length, 0u);
  EXPECT_EQ(c.devices[1].name, "SECOND");
  EXPECT_EQ(c.devices[1].commands[0].length, 0u);  // THIRD's command went nowhere
  EXPECT_EQ(c.devices[1].commands[1].length, 0u);  // read by no device (THIRD is current)
  EXPECT_EQ(c.devices[1].commands[2].length, 0u);  // after END
}

TEST(CtrlFile, LongestCommandLineIsReadWhole) {
  std::string line = "0xFF";
  for (int i = 0; i < 255; ++i)
    line += " 0x11";
  const CtrlFileContents c = ParseCtrlFile(Device("[CH1]\n" + line + "\n"));
  EXPECT_EQ(c.devices[0].commands[0].bytes, std::vector<uint8_t>(255, 0x11));
  EXPECT_TRUE(c.messages.empty());
  // Beyond the line limit the rest is dropped, and the short command reported.
  const CtrlFileContents huge =
      ParseCtrlFile(Device("[CH1]\n0x02 " + std::string(5000, ' ') + "0x11 0x22\n"));
  EXPECT_EQ(huge.devices[0].commands[0].bytes, std::vector<uint8_t>(2, 0));
  EXPECT_EQ(huge.messages, std::vector<int>{4051});
}

TEST(CtrlFile, ReduceLine) {
  EXPECT_EQ(net::ReduceCtrlFileLine("a\tb\r\x01\x7f\xff c"), "AB C");
  EXPECT_EQ(net::ReduceCtrlFileLine(std::string(5000, 'x')).size(), kMaxCtrlFileLine);
}

class CtrlFileLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lpApp = std::make_unique<CAppData>();
    folder = std::filesystem::temp_directory_path() /
             ("kavelin_ctrl_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    FreeCtrlFileDevices();
    g_lpApp.reset();
    std::filesystem::remove_all(folder);
  }
  std::shared_ptr<platform::testing::FakeMessageBox> box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox scoped{box};
  std::filesystem::path folder;
};

TEST_F(CtrlFileLoadTest, MissingFileShowsMessageAndLinksNothing) {
  EXPECT_EQ(LoadCtrlFileFrom(folder / "CtrlFile.ini"), 0);
  ASSERT_EQ(box->Count(), 1u);
  EXPECT_EQ(box->Shown()[0].text, "Open device control file is failed");
  MatchCtrlFileDevices();
  for (const auto& row : DeviceCommandTable)
    EXPECT_EQ(row.device, nullptr);
}

TEST_F(CtrlFileLoadTest, ShippedFileLinksEveryKind) {
  const std::filesystem::path shipped = std::filesystem::path(NET_SOURCE_DIR) / "CtrlFile.ini";
  ASSERT_EQ(LoadCtrlFileFrom(shipped), 1);
  EXPECT_EQ(box->Count(), 0u);
  EXPECT_EQ(g_lpApp->m_nCtrlFileDeviceCount, kDeviceKindCount);
  ASSERT_NE(g_lpApp->m_pCtrlFileDevices, nullptr);
  MatchCtrlFileDevices();
  for (const auto& row : DeviceCommandTable) {
    ASSERT_NE(row.device, nullptr) << row.name;
    int commands = 0;
    for (const DeviceCommand& cmd : row.device->commands)
      commands += cmd.length != 0;
    EXPECT_GT(commands, 0) << row.name;
  }
  FreeCtrlFileDevices();
  EXPECT_EQ(g_lpApp->m_pCtrlFileDevices, nullptr);
  EXPECT_EQ(DeviceCommandTable[0].device, nullptr);
}

TEST_F(CtrlFileLoadTest, DefaultFileIsWrittenAndReadsBack) {
  ASSERT_EQ(WriteDefaultCtrlFile(folder / "CtrlFile.ini"), 1);
  ASSERT_EQ(LoadCtrlFileFrom(folder / "CtrlFile.ini"), 1);
  EXPECT_EQ(box->Count(), 0u);
  MatchCtrlFileDevices();
  ASSERT_NE(DeviceCommandTable[2].device, nullptr);
  EXPECT_EQ(DeviceCommandTable[2].device->commands[0].bytes,
            (std::vector<uint8_t>{0xFF, 0xC0, 0x0D, 0x01, 0x7F}));
  EXPECT_EQ(WriteDefaultCtrlFile(folder / "no" / "such" / "CtrlFile.ini"), 0);
  EXPECT_EQ(box->Shown().back().text, "Can't read or create a CtrlFile.ini!!");
}

}  // namespace
