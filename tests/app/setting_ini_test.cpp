#include "app/setting_ini.h"

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "platform/testing/fake_message_box.h"
#include "temp_folder.h"

namespace {

// Points the program and Desktop folders at temporary folders for one test.
class SettingINITest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_desktop);
    platform::SetProgramFolder(m_program.Path());
    platform::SetDesktopFolder(m_desktop);
  }
  void TearDown() override {
    platform::SetProgramFolder({});
    platform::SetDesktopFolder({});
  }

  std::filesystem::path SettingFile() const { return m_program.Path() / "Setting.ini"; }
  void WriteSettings(const std::string& lines) {
    app_test::WriteText(SettingFile(), "[ZRC604]\r\n" + lines);
  }
  std::unique_ptr<CSettingINI> Loaded() {
    auto settings = std::make_unique<CSettingINI>();
    EXPECT_EQ(settings->Load(), 1);
    return settings;
  }

  app_test::TempFolder m_program;
  app_test::TempFolder m_home;
  std::filesystem::path m_desktop = m_home.Path() / "Desktop";
  std::shared_ptr<platform::testing::FakeMessageBox> m_box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox m_scopedBox{m_box};
};

void ExpectDefaults(const CSettingINI& s, const std::string& desktop, const std::string& program) {
  EXPECT_EQ(s.m_strServerAddress, kFactoryServerAddress);
  EXPECT_EQ(s.m_wWebPort, 80);
  EXPECT_EQ(s.m_dwSubPort, 8888u);
  EXPECT_EQ(s.m_byAvSwitchOption, 3);
  EXPECT_EQ(s.m_byTransmissionType, 0);
  EXPECT_EQ(s.m_byDecodeType, 0);
  EXPECT_EQ(s.m_wImageWidth, 320);
  EXPECT_EQ(s.m_wImageHeight, 240);
  EXPECT_EQ(s.m_nImageResolution, 2);
  EXPECT_EQ(s.m_nBrightness, 0);
  EXPECT_EQ(s.m_nContrast, 96);
  EXPECT_EQ(s.m_nSaturation, 0);
  EXPECT_EQ(s.m_strUserName, "wopal");
  EXPECT_EQ(s.m_strPassword, "wopal");
  EXPECT_EQ(s.m_wZoomRatio, 100);
  EXPECT_EQ(s.m_wFrameRate, 30);
  EXPECT_EQ(s.m_wTargetBitRate, 400);
  EXPECT_EQ(s.m_wPeakBitRate, 450);
  EXPECT_EQ(s.m_wBitRateControlType, 1);
  EXPECT_EQ(s.m_byResolutionType, 3);
  EXPECT_EQ(s.m_byImageQuality, 1);
  EXPECT_EQ(s.m_bySelectedChannel, 1);
  EXPECT_EQ(s.m_byChannel1Device, 0);
  EXPECT_EQ(s.m_byChannel2Device, 0);
  EXPECT_EQ(s.m_wLastMac1, 255);
  EXPECT_EQ(s.m_wLastMac2, 255);
  EXPECT_EQ(s.m_byAlarmTriggerRecord, 1);
  EXPECT_EQ(s.m_byAlarmTriggerRecordCopy, 1);
  EXPECT_EQ(s.m_byModelAlarmTriggerRecord, 1);
  EXPECT_EQ(s.m_wAlarmEnableButton, 3);
  EXPECT_EQ(s.m_nAlarmTriggerQuality, 1);
  EXPECT_EQ(s.m_nAlarmTriggerResolution, 1);
  EXPECT_EQ(s.m_nTriggerWavPathLow, 0);
  EXPECT_EQ(s.m_byTriggerCloseHour, 0);
  EXPECT_EQ(s.m_byTriggerCloseMin, 0);
  EXPECT_EQ(s.m_byTriggerCloseDate, 0);
  EXPECT_EQ(s.m_strDesktopPath, desktop);
  EXPECT_EQ(s.m_strRecordPath, desktop);
  EXPECT_EQ(s.m_strSnapshotPath, desktop);
  EXPECT_EQ(s.m_strUpgradePath, desktop);
  EXPECT_EQ(s.m_strProgramDir, program);
  EXPECT_EQ(s.m_strAlarmWavPath, program + "alarm.wav");
}

TEST(CSettingINIConstructionTest, SetsTheConstructionValues) {
  const CSettingINI s;
  EXPECT_EQ(s.m_byDecodeType, 0);
  EXPECT_EQ(s.m_nImageResolution, 0);
  EXPECT_EQ(s.m_nContrast, 96);
  EXPECT_EQ(s.m_strPassword, "wopal");
  EXPECT_EQ(s.m_strUserName, "wopal");
  EXPECT_EQ(s.m_strServerName, "");
  EXPECT_EQ(s.m_strServerAddress, kFactoryServerAddress);
  EXPECT_EQ(s.m_wWebPort, 80);
  EXPECT_EQ(s.m_dwSubPort, 8888u);
  EXPECT_EQ(s.m_wImageWidth, 704);
  EXPECT_EQ(s.m_wImageHeight, 480);
  EXPECT_EQ(s.m_wZoomRatio, 100);
  EXPECT_EQ(CSettingINI::kKeyNames.size(), 42u);
  EXPECT_STREQ(CSettingINI::kSection, "ZRC604");
  EXPECT_STREQ(CSettingINI::kKeyNames[1], "Image Quility");
  EXPECT_STREQ(CSettingINI::kKeyNames[41], "Transmission Type");
}

TEST_F(SettingINITest, AMissingEmptyOrUnreadableFileGivesTheDefaults) {
  const std::string desktop = m_desktop.string();
  const std::string program = m_program.Dir();
  {
    SCOPED_TRACE("missing");
    ExpectDefaults(*Loaded(), desktop, program);
  }
  {
    SCOPED_TRACE("empty");
    app_test::WriteText(SettingFile(), "");
    ExpectDefaults(*Loaded(), desktop, program);
  }
  {
    SCOPED_TRACE("garbage");
    app_test::WriteText(SettingFile(), std::string("\0\xff[[=\r\n==x\n[ZRC604\n", 20));
    ExpectDefaults(*Loaded(), desktop, program);
  }
  {
    SCOPED_TRACE("a folder in its place");
    std::filesystem::remove(SettingFile());
    std::filesystem::create_directory(SettingFile());
    ExpectDefaults(*Loaded(), desktop, program);
  }
  EXPECT_EQ(m_box->Count(), 0u);
}

TEST_F(SettingINITest, SaveAndLoadRoundTrip) {
  const std::filesystem::path records = m_home.Path() / "records";
  const std::filesystem::path shots = m_home.Path() / "shots";
  const std::filesystem::path upgrades = m_home.Path() / "upgrades";
  for (const auto& folder : {records, shots, upgrades}) {
    std::filesystem::create_directories(folder);
  }
  const auto saved = Loaded();
  saved->m_byDecodeType = 4;
  saved->m_byTransmissionType = 1;
  saved->m_nImageResolution = 3;
  saved->m_nBrightness = -5;
  saved->m_nContrast = 70;
  saved->m_nSaturation = 33;
  saved->m_strPassword = "secret-word";
  saved->m_strUserName = "operator";
  saved->m_strServerAddress = "10.1.2.3";
  saved->m_wWebPort = 8080;
  saved->m_dwSubPort = 4294967295u;
  saved->m_wImageWidth = 704;
  saved->m_wImageHeight = 576;
  saved->m_byAvSwitchOption = 2;
  saved->m_wZoomRatio = 150;
  saved->m_wFrameRate = 25;
  saved->m_wTargetBitRate = 1200;
  saved->m_wPeakBitRate = 65535;
  saved->m_wBitRateControlType = 2;
  saved->m_byResolutionType = 1;
  saved->m_byImageQuality = 4;
  saved->m_bySelectedChannel = 16;
  saved->m_byChannel1Device = 17;
  saved->m_byChannel2Device = 8;
  saved->m_wLastMac1 = 0x1234;
  saved->m_wLastMac2 = 0;
  saved->m_byAlarmTriggerRecord = 0;
  saved->m_byModelAlarmTriggerRecord = 0;
  saved->m_wAlarmEnableButton = 1;
  saved->m_nAlarmTriggerQuality = 5;
  saved->m_nAlarmTriggerResolution = 2;
  saved->m_nTriggerWavPathLow = -7;
  saved->m_byTriggerCloseHour = 23;
  saved->m_byTriggerCloseMin = 59;
  saved->m_byTriggerCloseDate = 31;
  saved->m_strRecordPath = records.string();
  saved->m_strSnapshotPath = shots.string();
  saved->m_strUpgradePath = upgrades.string();
  ASSERT_EQ(saved->Save(), 1);

  const std::string text = app_test::ReadText(SettingFile());
  EXPECT_EQ(text.find("secret-word"), std::string::npos) << "the password is never written";
  EXPECT_NE(text.find("Alarm Audio New Path III=" + m_program.Dir() + "alarm.wav"),
            std::string::npos);
  EXPECT_NE(text.find("Sub Port Number=-1"), std::string::npos) << "signed decimal";

  const auto loaded = Loaded();
  EXPECT_EQ(loaded->m_strPassword, "wopal");
  EXPECT_EQ(loaded->m_byDecodeType, 4);
  EXPECT_EQ(loaded->m_byTransmissionType, 1);
  EXPECT_EQ(loaded->m_nImageResolution, 3);
  EXPECT_EQ(loaded->m_nBrightness, -5);
  EXPECT_EQ(loaded->m_nContrast, 70);
  EXPECT_EQ(loaded->m_nSaturation, 33);
  EXPECT_EQ(loaded->m_strUserName, "operator");
  EXPECT_EQ(loaded->m_strServerAddress, "10.1.2.3");
  EXPECT_EQ(loaded->m_wWebPort, 8080);
  EXPECT_EQ(loaded->m_dwSubPort, 4294967295u);
  EXPECT_EQ(loaded->m_wImageWidth, 704);
  EXPECT_EQ(loaded->m_wImageHeight, 576);
  EXPECT_EQ(loaded->m_byAvSwitchOption, 2);
  EXPECT_EQ(loaded->m_wZoomRatio, 150);
  EXPECT_EQ(loaded->m_wFrameRate, 25);
  EXPECT_EQ(loaded->m_wTargetBitRate, 1200);
  EXPECT_EQ(loaded->m_wPeakBitRate, 65535);
  EXPECT_EQ(loaded->m_wBitRateControlType, 2);
  EXPECT_EQ(loaded->m_byResolutionType, 1);
  EXPECT_EQ(loaded->m_byImageQuality, 4);
  EXPECT_EQ(loaded->m_bySelectedChannel, 16);
  EXPECT_EQ(loaded->m_byChannel1Device, 17);
  EXPECT_EQ(loaded->m_byChannel2Device, 8);
  EXPECT_EQ(loaded->m_wLastMac1, 0x1234);
  EXPECT_EQ(loaded->m_wLastMac2, 0);
  EXPECT_EQ(loaded->m_byAlarmTriggerRecord, 0);
  EXPECT_EQ(loaded->m_byAlarmTriggerRecordCopy, 0);
  EXPECT_EQ(loaded->m_byModelAlarmTriggerRecord, 0);
  EXPECT_EQ(loaded->m_wAlarmEnableButton, 1);
  EXPECT_EQ(loaded->m_nAlarmTriggerQuality, 5);
  EXPECT_EQ(loaded->m_nAlarmTriggerResolution, 2);
  EXPECT_EQ(loaded->m_nTriggerWavPathLow, -7);
  EXPECT_EQ(loaded->m_byTriggerCloseHour, 23);
  EXPECT_EQ(loaded->m_byTriggerCloseMin, 59);
  EXPECT_EQ(loaded->m_byTriggerCloseDate, 31);
  EXPECT_EQ(loaded->m_strRecordPath, records.string());
  EXPECT_EQ(loaded->m_strSnapshotPath, shots.string());
  EXPECT_EQ(loaded->m_strUpgradePath, upgrades.string());
}

TEST_F(SettingINITest, SaveKeepsOtherLinesOfTheFile) {
  app_test::WriteText(SettingFile(),
                      "; kept comment\r\n[Other]\r\nkey=value\r\n[ZRC604]\r\nUnknown Key=7\r\n");
  const auto settings = Loaded();
  ASSERT_EQ(settings->Save(), 1);
  const std::string text = app_test::ReadText(SettingFile());
  for (const char* kept : {"; kept comment", "[Other]", "key=value", "Unknown Key=7"}) {
    EXPECT_NE(text.find(kept), std::string::npos) << kept;
  }
}

TEST_F(SettingINITest, ValuesAreCutToTheFieldWidthAndTableIndexesAreChecked) {
  struct Case {
    const char* line;
    int selectedChannel;
    int channel1Device;
    int channel2Device;
    int webPort;
  };
  const Case cases[] = {
      {"ServerPort=70000", 1, 0, 0, 4464},  // cut to 16 bits as the field stores it
      {"ServerPort=-1", 1, 0, 0, 65535},
      {"SERVERPORT = 81", 1, 0, 0, 81},  // keys match without regard to case
      {"ServerPort=abc", 1, 0, 0, 0},
      {"Channel 1 Device=17", 1, 17, 0, 80},
      {"Channel 1 Device=18", 1, 0, 0, 80},
      {"Channel 1 Device=255", 1, 0, 0, 80},
      {"Channel 1 Device=258", 1, 0, 0, 80},  // not taken for kind 2
      {"Channel 1 Device=-1", 1, 0, 0, 80},
      {"Channel 2 Device=9", 1, 0, 9, 80},
      {"Channel 2 Device=1000", 1, 0, 0, 80},
      {"Selected Channel=0", 0, 0, 0, 80},
      {"Selected Channel=16", 16, 0, 0, 80},
      {"Selected Channel=17", 1, 0, 0, 80},
      {"Selected Channel=-3", 1, 0, 0, 80},
  };
  for (const Case& c : cases) {
    WriteSettings(std::string(c.line) + "\r\n");
    const auto s = Loaded();
    EXPECT_EQ(s->m_bySelectedChannel, c.selectedChannel) << c.line;
    EXPECT_EQ(s->m_byChannel1Device, c.channel1Device) << c.line;
    EXPECT_EQ(s->m_byChannel2Device, c.channel2Device) << c.line;
    EXPECT_EQ(s->m_wWebPort, c.webPort) << c.line;
  }
}

TEST_F(SettingINITest, FoldersThatDoNotExistBecomeTheDesktop) {
  const std::filesystem::path shots = m_home.Path() / "shots";
  std::filesystem::create_directories(shots);
  WriteSettings("Record Path=" + (m_home.Path() / "gone").string() +
                "\r\nSnapshot Path=" + shots.string() + "\r\nUpgrade Path=\r\n");
  const auto s = Loaded();
  EXPECT_EQ(s->m_strRecordPath, m_desktop.string());
  EXPECT_EQ(s->m_strSnapshotPath, shots.string());
  EXPECT_EQ(s->m_strUpgradePath, m_desktop.string());
  EXPECT_FALSE(std::filesystem::exists(m_home.Path() / "gone"));
}

TEST_F(SettingINITest, LoadCreatesTheRecordAndSnapshotFolders) {
  // The Desktop folder is the default of both; it does not exist yet.
  std::filesystem::remove_all(m_desktop);
  const auto s = Loaded();
  EXPECT_EQ(s->m_strRecordPath, m_desktop.string());
  EXPECT_TRUE(std::filesystem::is_directory(m_desktop));
}

TEST_F(SettingINITest, SaveBeforeLoadWritesIntoTheProgramFolder) {
  CSettingINI settings;
  settings.m_wWebPort = 8181;
  ASSERT_EQ(settings.Save(), 1);
  EXPECT_EQ(Loaded()->m_wWebPort, 8181);
}

TEST_F(SettingINITest, SaveReportsAFileThatCannotBeWritten) {
  const auto settings = Loaded();
  settings->m_strProgramDir = (m_program.Path() / "missing").string() + "/";
  EXPECT_EQ(settings->Save(), 0);
  EXPECT_FALSE(std::filesystem::exists(m_program.Path() / "missing"));
}

}  // namespace
