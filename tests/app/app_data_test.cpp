#include "app/app_data.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(CAppDataTest, StartsWithTheInitialValues) {
  const auto app = std::make_unique<CAppData>();
  EXPECT_EQ(app->m_strVersion, "0.1.1.7");
  EXPECT_EQ(app->m_byVideoFormat, 4);
  EXPECT_EQ(app->m_byDeviceType, 0x32);
  EXPECT_EQ(app->m_abyChannelPtzNumber[0], 1);
  EXPECT_EQ(app->m_abyChannelPtzNumber[1], 1);
  EXPECT_EQ(app->m_byPictureMode, 1);
  for (const auto& adjust : app->m_wImageAdjust) {
    EXPECT_EQ(adjust, 50);
  }
  EXPECT_EQ(app->m_byVideoStandard, 1);
  EXPECT_EQ(app->m_wTimerResolution, 1);
  EXPECT_EQ(app->m_wLanguageId, 1033);
  EXPECT_EQ(app->m_nShowAudioState, -1);
  EXPECT_EQ(app->m_bAlarmWavPending, 0u);
  EXPECT_EQ(app->m_bRetrOn, 0u);
  EXPECT_EQ(app->m_bConnected, 0u);
  EXPECT_EQ(app->m_wUserLevel, 0);
  EXPECT_EQ(app->m_hWndMainDialog, platform::kNoWindow);
  EXPECT_EQ(app->m_pOpenSysConfSheet, nullptr);
  EXPECT_EQ(app->m_hLanguageLibrary, nullptr);
  // Handles start closed.
  EXPECT_FALSE(app->h_Process_KernelMessageThread);
  EXPECT_FALSE(app->h_KernelMessageSemaphore);
  EXPECT_FALSE(app->h_EndofGetJpegImageEvent);
  EXPECT_FALSE(app->ImageSocketBufferSem);
  EXPECT_FALSE(app->m_pImageBuffer);
  // The embedded settings carry their construction values.
  EXPECT_EQ(app->m_SettingINI.m_wWebPort, 80);
  EXPECT_EQ(app->m_SettingINI.m_strServerAddress, kFactoryServerAddress);
}

TEST(CAppDataTest, ConfigurationRecordsHaveTheServersSizes) {
  const auto app = std::make_unique<CAppData>();
  const std::pair<std::size_t, std::size_t> sizes[] = {
      {app->m_IpConfig.size(), 24},      {app->m_SecureConfig.size(), 408},
      {app->m_DnsConfig.size(), 124},    {app->m_SmtpConfig.size(), 516},
      {app->m_FtpConfig.size(), 104},    {app->m_PppoeConfig.size(), 100},
      {app->m_SystemConfig.size(), 36},  {app->m_SntpConfig.size(), 40},
      {app->m_ImgConfig.size(), 12},     {app->m_WlanConfig.size(), 104},
      {app->m_TriggerConfig.size(), 12}, {app->m_Rs485Config.size(), 20},
      {app->m_PentaConfig.size(), 156},  {app->m_InfConfig.size(), 56},
  };
  for (const auto& [actual, expected] : sizes) {
    EXPECT_EQ(actual, expected);
  }
  EXPECT_EQ(app->m_szFirmwareVersion.size(), 20u);
  EXPECT_EQ(app->m_abyMacAddress.size(), 6u);
}

TEST(CAppDataTest, AClosedEventLivesOnForAThreadThatHoldsIt) {
  const auto app = std::make_unique<CAppData>();
  app->ShowStopEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  EventHandle held = app->ShowStopEvent;
  std::thread waiter([held] { EXPECT_TRUE(held->Wait(60000)); });
  app->ShowStopEvent.reset();  // close: the field is cleared
  EXPECT_FALSE(app->ShowStopEvent);
  held->Set();
  waiter.join();
}

TEST(SharedTextTest, CutsToItsBufferAndIsSharedSafely) {
  SharedText<8> text;
  text.Set("1234567890");
  EXPECT_EQ(text.Get(), "1234567");
  text.Clear();
  EXPECT_EQ(text.Get(), "");

  SessionIdBuffer.Set(std::string(100, 'S'));
  EXPECT_EQ(SessionIdBuffer.Get(), std::string(63, 'S'));
  std::thread writer([] {
    for (int i = 0; i < 1000; ++i) {
      LocalAddressText.Set(i % 2 == 0 ? "192.168.100.200" : "10.0.0.1");
    }
  });
  for (int i = 0; i < 1000; ++i) {
    const std::string address = LocalAddressText.Get();
    EXPECT_TRUE(address.empty() || address == "192.168.100.200" || address == "10.0.0.1");
  }
  writer.join();
  SessionIdBuffer.Clear();
  LocalAddressText.Clear();
}

}  // namespace
