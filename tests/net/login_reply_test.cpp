#include "net/login_reply.h"

#include <gtest/gtest.h>

#include <string>

#include "app/app_data.h"
#include "net/net_environment.h"

namespace {

using net::FindReplyValue;

TEST(LoginReply, FindReplyValueTable) {
  struct Case {
    const char* name;
    std::string reply;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"plain", "SESSION-ID=ab12;", "SESSION-ID", "ab12"},
      {"lower-case key keeps value case", "session-id=AbCd;", "SESSION-ID", "AbCd"},
      {"any separator", "PRODUCT-ID:604;", "PRODUCT-ID", "604"},
      {"separator is ;", "PRODUCT-ID;604;", "PRODUCT-ID", "604"},
      {"first occurrence counts", "A=1;A=2;", "A", "1"},
      {"missing", "B=1;", "A", std::nullopt},
      {"empty value", "PRODUCT-ID=;", "PRODUCT-ID", ""},
      {"no ; runs to the end", "HOST-NAME=abc", "HOST-NAME", "abc"},
      {"key at the very end", "X=1;HOST-NAME", "HOST-NAME", std::nullopt},
      {"key and separator at the end", "HOST-NAME=", "HOST-NAME", ""},
      {"over-long value cut", "K=" + std::string(500, 'v') + ";", "K", std::string(127, 'v')},
      {"text ends at NUL", std::string("A=1;\0B=2;", 9), "B", std::nullopt},
      {"empty reply", "", "A", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindReplyValue(c.reply, c.key), c.value) << c.name;
  }
}

TEST(LoginReply, ReplyNumberTable) {
  struct Case {
    const char* text;
    int64_t value;
  };
  const Case cases[] = {{"604", 604},
                        {"", 0},
                        {"abc", 0},
                        {"-1", -1},
                        {"  42x", 42},
                        {"+7", 7},
                        {"12 34", 12},
                        {"99999999999999999999999", INT64_MAX},
                        {"-99999999999999999999999", -INT64_MAX}};
  for (const Case& c : cases)
    EXPECT_EQ(net::ReplyNumber(c.text), c.value) << c.text;
}

TEST(LoginReply, HexTextToByteArrayIsBoundedByItsOutput) {
  std::array<uint8_t, 6> mac{};
  net::HexTextToByteArray("00_0e_53_12_AB_CD", '_', mac);
  EXPECT_EQ(mac, (std::array<uint8_t, 6>{0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD}));
  std::array<uint8_t, 8> guarded{};
  guarded.fill(0x77);
  net::HexTextToByteArray(std::string(120, 'F'), '_', std::span(guarded).first(6));
  EXPECT_EQ(guarded[5], 0xFF);
  EXPECT_EQ(guarded[6], 0x77);  // nothing written past the six bytes
  std::array<uint8_t, 2> two{};
  net::HexTextToByteArray("0a1B", '_', two);
  EXPECT_EQ(two, (std::array<uint8_t, 2>{0x0A, 0x1B}));
  net::HexTextToByteArray("123", '_', two);  // a lone last digit is ignored
  EXPECT_EQ(two, (std::array<uint8_t, 2>{0x12, 0x00}));
}

TEST(LoginReply, LoginFieldTable) {
  const net::LoginReplyFields f = net::ParseLoginReplyFields(
      "session-id=5A3f;PRODUCT-ID=604;FIRMWARE-VERSION=2.1.0.7;MAC-ADDRESS=00_0E_53_12_AB_CD;"
      "HOST-NAME=cam;");
  EXPECT_EQ(f.sessionId, "5A3f");
  EXPECT_EQ(f.productId, 604);
  ASSERT_TRUE(f.firmwareVersion);
  EXPECT_EQ(std::string(f.firmwareVersion->data()), "2.1.0.7");
  EXPECT_EQ(f.macAddress, (std::array<uint8_t, 6>{0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD}));

  const net::LoginReplyFields empty = net::ParseLoginReplyFields("PRODUCT-ID=;");
  EXPECT_EQ(empty.productId, 0);
  EXPECT_FALSE(empty.sessionId);
  EXPECT_FALSE(empty.firmwareVersion);

  const net::LoginReplyFields longOnes = net::ParseLoginReplyFields(
      "SESSION-ID=" + std::string(100, 's') + ";FIRMWARE-VERSION=" + std::string(30, 'f') +
      ";MAC-ADDRESS=" + std::string(90, 'A') + ";");
  EXPECT_EQ(longOnes.sessionId, std::string(63, 's'));
  ASSERT_TRUE(longOnes.firmwareVersion);
  EXPECT_EQ(std::string(longOnes.firmwareVersion->begin(), longOnes.firmwareVersion->end()),
            std::string(20, 'f'));
  EXPECT_EQ(longOnes.macAddress, (std::array<uint8_t, 6>{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST(LoginReply, StreamFieldTable) {
  const net::StreamReplyFields f = net::ParseStreamReplyFields(
      "VIDEO-FORMAT=4;USER-LEVEL=10;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
      "DEVICE-ID1=258;DEVICE-TYPE1=70000;BAUD-RATE1=4800;MPEG4-WIDTH=352;MPEG4-HEIGHT=240;"
      "JPEG-WIDTH=704;JPEG-HEIGHT=480;STREAM-PORT=5001;");
  ASSERT_TRUE(f.videoFormatText);
  EXPECT_EQ((*f.videoFormatText)[0], '4');
  EXPECT_EQ(f.userLevel, 10);
  EXPECT_EQ(f.lifeTime, 4294967295u);
  EXPECT_EQ(f.peripherals[0].deviceId, 1);
  EXPECT_EQ(f.peripherals[0].deviceType, 3);
  EXPECT_EQ(f.peripherals[0].baudRate, 9600u);
  EXPECT_EQ(f.peripherals[1].deviceId, 2);       // 258 cut to a byte
  EXPECT_EQ(f.peripherals[1].deviceType, 4464);  // 70000 cut to 16 bits
  EXPECT_EQ(f.peripherals[1].baudRate, 4800u);
  EXPECT_EQ(f.mpeg4Width, 352);
  EXPECT_EQ(f.mpeg4Height, 240);
  EXPECT_EQ(f.jpegWidth, 704);
  EXPECT_EQ(f.jpegHeight, 480);
  EXPECT_EQ(f.streamPort, 5001);
  EXPECT_EQ(net::ParseStreamReplyFields("LIFE-TIME=4294967295;").lifeTime, 4294967295u);

  const net::StreamReplyFields none = net::ParseStreamReplyFields("garbage");
  EXPECT_FALSE(none.userLevel);
  EXPECT_EQ(none.peripherals[1].baudRate, 0u);
}

class LoginReplyAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lpApp = std::make_unique<CAppData>();
    net::SetEnvironment(&environment);
  }
  void TearDown() override {
    net::SetEnvironment(nullptr);
    g_lpApp.reset();
  }
  net::MemoryNetEnvironment environment;
};

TEST_F(LoginReplyAppTest, ParsersStoreIntoTheBlockAndKeepMissingValues) {
  environment.SetSessionId("OLDLONGSESSIONID");
  EXPECT_EQ(ParseLoginReply("SESSION-ID=new;PRODUCT-ID=604;"), 1);
  EXPECT_EQ(environment.SessionId(), "new");  // no tail of the older id
  EXPECT_EQ(g_lpApp->m_dwProductId, 604);

  g_lpApp->m_dwReplyUserLevel = 20;
  EXPECT_EQ(ParseLoginReplyEx("LIFE-TIME=-1;MPEG4-WIDTH=352;DEVICE-ID0=7;"), 1);
  EXPECT_EQ(g_lpApp->m_dwReplyUserLevel, 20);  // missing USER-LEVEL leaves it
  EXPECT_EQ(g_lpApp->m_dwLifeTime.load(), kNoLifeTimeLimit);
  EXPECT_EQ(g_lpApp->m_wMpeg4Width, 352);
  ASSERT_TRUE(g_lpApp->m_pPeripheralInfo);
  EXPECT_EQ(g_lpApp->m_pPeripheralInfo->m_Records[0].m_byDeviceId, 7);
  EXPECT_EQ(g_lpApp->m_pPeripheralInfo->m_Records[1].m_dwBaudRate, 0u);
  EXPECT_EQ(ParseLoginReply(nullptr), 1);
  EXPECT_EQ(ParseLoginReplyEx(nullptr), 1);
}

}  // namespace
