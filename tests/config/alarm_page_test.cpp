// The Trigger page against the fake server: the TRIGGER record on the controls, the method and
// enable truth tables, Motion Setup, Trigger Refresh and Load, and the TRIGGER record APPLY
// sends; the R.E.T.R. page's own handlers.
#include <QTest>

#include "config_fixture.h"
#include "media/frame_header.h"
#include "page_controls.h"
#include "recording_services.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/config/motion/motion_detection_dlg.h"
#include "ui/config/pages/alarm_pages.h"

namespace {

using namespace config_testing;
using T = AlarmPropertyPage;

constexpr int kNotifyIds[] = {T::IDC_NONE, T::IDC_EMAIL, T::IDC_FTP, T::IDC_DURATION};
constexpr int kClipIds[] = {T::IDC_VIDEO_MPEG4, T::IDC_VIDEO_JPEG, T::IDC_MPEG4_LENGTH,
                            T::IDC_JPEG_COUNT};

// The three method buttons' checks, "None Email FTP" as 0/1 digits.
std::string MethodChecks(T& page) {
  std::string s;
  for (int id : {T::IDC_NONE, T::IDC_EMAIL, T::IDC_FTP})
    s += Checked(page, id) ? '1' : '0';
  return s;
}
bool AllEnabled(T& page, std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) {
    if (Enabled(page, id) != enabled)
      return false;
  }
  return true;
}
bool NotifyEnabled(T& page, bool enabled) {
  return AllEnabled(page, {kNotifyIds[0], kNotifyIds[1], kNotifyIds[2], kNotifyIds[3]}, enabled);
}
bool ClipEnabled(T& page, bool enabled) {
  return AllEnabled(page, {kClipIds[0], kClipIds[1], kClipIds[2], kClipIds[3]}, enabled);
}

fakes::ConfigRecords Trigger(std::uint8_t method, std::uint8_t alarm, std::uint8_t motion) {
  fakes::ConfigRecords records = fakes::SampleConfig();
  records["TRIGGER"][4] = method;
  records["TRIGGER"][8] = alarm;
  records["TRIGGER"][9] = motion;
  return records;
}

class TriggerTest : public ConfigTest {
 public:
  int RunOnPage(const std::function<void(CSysConfPropSheet&, T&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_AlarmPage));
      body(s, s.m_AlarmPage);
    });
  }
};

TEST(TriggerTables, DurationsAndMethods) {
  const std::pair<int, int> durations[] = {{3, 0}, {15, 1}, {30, 2}, {60, 3}, {1800, 4}, {45, -1}};
  for (const auto& [seconds, row] : durations) {
    EXPECT_EQ(syscfg::DurationRow(seconds), row) << seconds;
    if (row >= 0) {
      EXPECT_EQ(syscfg::DurationOfRow(row), seconds);
    }
  }
  EXPECT_EQ(syscfg::DurationOfRow(7), 3);
  const std::uint8_t email[] = {1, 1, 3, 2};  // after "Email" from methods 0..3
  const std::uint8_t ftp[] = {2, 3, 2, 1};
  for (std::uint8_t m = 0; m < 4; ++m) {
    EXPECT_EQ(syscfg::MethodAfterEmail(m), email[m]) << int{m};
    EXPECT_EQ(syscfg::MethodAfterFtp(m), ftp[m]) << int{m};
  }
}

TEST_F(TriggerTest, TheRecordSetsChecksAndEnabling) {
  const struct {
    const char* name;
    std::uint8_t method, alarm, motion;
    const char* checks;
    bool notify, clip;
  } cases[] = {
      {"nothing on", 0, 0, 0, "100", false, false},
      {"method none, alarm on", 0, 1, 0, "100", true, false},
      {"email, alarm on", 1, 1, 0, "010", true, true},
      {"ftp, motion on", 2, 0, 1, "001", true, true},
      {"both, both on", 3, 1, 1, "011", true, true},
      {"email, both off", 1, 0, 0, "010", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    ASSERT_EQ(Load(Trigger(c.method, c.alarm, c.motion)), 1);
    RunOnPage([&](CSysConfPropSheet&, T& page) {
      EXPECT_EQ(MethodChecks(page), c.checks);
      EXPECT_TRUE(NotifyEnabled(page, c.notify));
      EXPECT_TRUE(ClipEnabled(page, c.clip));
      EXPECT_EQ(Checked(page, T::IDC_ALARM_ENABLE), c.alarm != 0);
      EXPECT_EQ(Checked(page, T::IDC_ALARM_DISABLE), c.alarm == 0);
      EXPECT_EQ(Checked(page, T::IDC_MOTION_ENABLE), c.motion != 0);
      EXPECT_EQ(Checked(page, T::IDC_MOTION_DISABLE), c.motion == 0);
    });
  }
}

TEST_F(TriggerTest, SampleRecordOnTheControls) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, T& page) {
    EXPECT_EQ(Ctl<QComboBox>(page, T::IDC_DURATION)->currentText(), "30 Secs");
    EXPECT_EQ(Row(page, T::IDC_MPEG4_LENGTH), 1);  // 48 frames
    EXPECT_EQ(Row(page, T::IDC_JPEG_COUNT), 2);    // 3 pictures
    EXPECT_TRUE(Checked(page, T::IDC_VIDEO_MPEG4));
    EXPECT_FALSE(Checked(page, T::IDC_VIDEO_JPEG));
  });
}

TEST_F(TriggerTest, MethodClicks) {
  const struct {
    std::uint8_t method;
    int click;
    std::uint8_t after;
    const char* checks;
    bool clip;
  } cases[] = {
      {2, T::IDC_EMAIL, 3, "011", true}, {0, T::IDC_EMAIL, 1, "010", true},
      {3, T::IDC_EMAIL, 2, "001", true}, {1, T::IDC_EMAIL, 1, "010", true},
      {0, T::IDC_FTP, 2, "001", true},   {1, T::IDC_FTP, 3, "011", true},
      {3, T::IDC_FTP, 1, "010", true},   {2, T::IDC_FTP, 2, "001", true},
      {3, T::IDC_NONE, 0, "100", false}, {0, T::IDC_NONE, 0, "100", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.method} << " click " << c.click);
    sheet.reset();
    ASSERT_EQ(Load(Trigger(c.method, 1, 0)), 1);
    RunOnPage([&](CSysConfPropSheet&, T& page) {
      Click(page, c.click);
      EXPECT_EQ(page.m_byMethod, c.after);
      EXPECT_EQ(MethodChecks(page), c.checks);
      EXPECT_TRUE(ClipEnabled(page, c.clip));
      EXPECT_TRUE(NotifyEnabled(page, true));
    });
  }
}

TEST_F(TriggerTest, EnableAndDisableFollowTheOtherInput) {
  ASSERT_EQ(Load(Trigger(1, 0, 0)), 1);
  RunOnPage([](CSysConfPropSheet&, T& page) {
    Click(page, T::IDC_ALARM_ENABLE);
    EXPECT_TRUE(NotifyEnabled(page, true));
    EXPECT_TRUE(ClipEnabled(page, true));
    Click(page, T::IDC_MOTION_ENABLE);
    Click(page, T::IDC_ALARM_DISABLE);  // motion still on: nothing else changes
    EXPECT_TRUE(Checked(page, T::IDC_ALARM_DISABLE));
    EXPECT_FALSE(Checked(page, T::IDC_ALARM_ENABLE));
    EXPECT_TRUE(NotifyEnabled(page, true));
    Click(page, T::IDC_MOTION_DISABLE);
    EXPECT_TRUE(NotifyEnabled(page, false));
    EXPECT_TRUE(ClipEnabled(page, false));
    Click(page, T::IDC_NONE);  // disabled controls take no clicks
    EXPECT_EQ(page.m_byMethod, 1);
  });
  sheet.reset();
  ASSERT_EQ(Load(Trigger(0, 0, 0)), 1);
  RunOnPage([](CSysConfPropSheet&, T& page) {
    Click(page, T::IDC_MOTION_ENABLE);
    EXPECT_TRUE(NotifyEnabled(page, true));
    EXPECT_TRUE(ClipEnabled(page, false));  // method none
  });
}

TEST_F(TriggerTest, MotionSetupNeedsA352Or704Picture) {
  const std::pair<int, bool> widths[] = {{704, true}, {352, true}, {320, false}, {720, false}};
  for (const auto& [width, enabled] : widths) {
    SCOPED_TRACE(width);
    sheet.reset();
    g_lpApp->m_wFrameWidth = static_cast<std::uint16_t>(width);
    ASSERT_EQ(Load(), 1);
    RunOnPage([&](CSysConfPropSheet&, T& page) {
      EXPECT_EQ(Enabled(page, T::IDC_MOTION_SETUP), enabled);
    });
  }
}

TEST_F(TriggerTest, MotionSetupRunsTheGridDialogMadeOnce) {
  g_lpApp->m_wFrameWidth = 352;
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, T& page) {
    EXPECT_EQ(page.MotionDialog(), nullptr);
    Click(page, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(WaitForMotionFetch(page));
    CMotionDetectionDlg* dialog = page.MotionDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(g_lpApp->m_pMotionDetectionDlg.Named(), dialog);
    Click(page, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(WaitForMotionFetch(page));
    EXPECT_EQ(page.MotionDialog(), dialog);
  });
  EXPECT_EQ(runner->Runs(), (std::vector<QString>{"CMotionDetectionDlg", "CMotionDetectionDlg"}));
  sheet.reset();
  EXPECT_EQ(g_lpApp->m_pMotionDetectionDlg.Named(), nullptr);
}

TEST_F(TriggerTest, TriggerRefreshAsksBothHeadersForTheAlarmStateAnew) {
  ASSERT_EQ(Load(), 1);
  g_lpApp->m_VideoFrameHeader.SetStateA(1);
  g_lpApp->m_VideoFrameHeader.SetStateB(2);
  g_lpApp->m_AudioFrameHeader.SetStateA(2);
  RunOnPage([](CSysConfPropSheet&, T& page) { Click(page, T::IDC_TRIGGER_REFRESH); });
  EXPECT_EQ(g_lpApp->m_VideoFrameHeader.StateA(), 15u);
  EXPECT_EQ(g_lpApp->m_VideoFrameHeader.StateB(), 15u);
  EXPECT_EQ(g_lpApp->m_AudioFrameHeader.StateA(), 15u);
}

TEST_F(TriggerTest, LoadPutsTheChosenSoundFileIntoThePath) {
  ScopedServices services;
  services.chooser->answer = "/home/operator/bell.wav";
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, T& page) {
    Click(page, T::IDC_LOAD);
    EXPECT_EQ(TextOf(page, T::IDC_SOUND_PATH), "/home/operator/bell.wav");
  });
  EXPECT_EQ(services.chooser->filters, QStringList{"WAV files (*.wav)"});
}

// Edits -> the TRIGGER record received.
TEST_F(TriggerTest, EditsSendTheTriggerRecord) {
  struct Case {
    const char* name;
    std::uint8_t deviceType;
    std::function<void(T&)> edit;
    std::vector<Patch> patches;  // empty: nothing sent
  };
  const Case cases[] = {
      {"alarm off", '2', [](T& p) { Click(p, T::IDC_ALARM_DISABLE); }, {{8, {0}}}},
      {"motion off", '2', [](T& p) { Click(p, T::IDC_MOTION_DISABLE); }, {{9, {0}}}},
      {"email and ftp", '2', [](T& p) { Click(p, T::IDC_FTP); }, {{4, {3}}}},
      {"jpeg clips", '2', [](T& p) { Click(p, T::IDC_VIDEO_JPEG); }, {{5, {2}}}},
      {"sixty seconds", '2', [](T& p) { Pick(p, T::IDC_DURATION, 3); }, {{6, {60, 0}}}},
      {"thirty minutes", '2', [](T& p) { Pick(p, T::IDC_DURATION, 4); }, {{6, {0x08, 0x07}}}},
      {"no duration", '2', [](T& p) { Pick(p, T::IDC_DURATION, 0); }, {{6, {3, 0}}}},
      {"clip rows on a '2' server",
       '2',
       [](T& p) {
         Pick(p, T::IDC_MPEG4_LENGTH, 4);
         Pick(p, T::IDC_JPEG_COUNT, 0);
       },
       {{2, {1}}, {3, {120}}}},
      {"clip rows on another server",
       'q',
       [](T& p) {
         Pick(p, T::IDC_MPEG4_LENGTH, 4);
         Pick(p, T::IDC_JPEG_COUNT, 0);
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    g_lpApp->m_byDeviceType = c.deviceType;
    ASSERT_EQ(Load(), 1);
    const auto original = server->ConfigRecord("TRIGGER");
    RunOnPage([&](CSysConfPropSheet& s, T& page) {
      c.edit(page);
      config_testing::ApplyAndWait(s);
    });
    if (c.patches.empty()) {
      EXPECT_TRUE(SentOptions().empty());
    } else {
      EXPECT_EQ(SentOptions(), std::vector<std::string>{"TRIGGER"});
      EXPECT_EQ(Sent("TRIGGER"), Patched(original, c.patches));
    }
  }
}

TEST_F(TriggerTest, ApplyCopiesTheMotionByteChangedOrNot) {
  ASSERT_EQ(Load(), 1);
  g_lpApp->m_byTriggerMotionCopy = 7;
  RunOnPage([](CSysConfPropSheet& s, T&) { config_testing::ApplyAndWait(s); });
  EXPECT_EQ(g_lpApp->m_byTriggerMotionCopy.load(), 1);
  EXPECT_TRUE(SentOptions().empty());
  sheet.reset();
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet& s, T& page) {
    Click(page, T::IDC_MOTION_DISABLE);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(g_lpApp->m_byTriggerMotionCopy.load(), 0);
}

TEST(RetrPage, HandlersCheckTheirRadiosAndLimitTheTime) {
  CAlarmTriggerPage page;
  page.m_byRemoteRecord = 1;
  page.m_dwCheckAddress = 0xC0A80101;
  ui::CPropertySheet plain;
  plain.AddPage(&page);
  QTimer::singleShot(0, &plain, [&] {
    using R = CAlarmTriggerPage;
    std::uint32_t address = 0;
    Ctl<ui::IpAddressCtrl>(page, R::IDC_CHECK_ADDRESS)->GetAddress(address);
    EXPECT_EQ(address, 0xC0A80101u);
    EXPECT_TRUE(Checked(page, R::IDC_REMOTE_ENABLE));
    EXPECT_FALSE(Checked(page, R::IDC_REMOTE_DISABLE));
    Click(page, R::IDC_MIDDLE);
    EXPECT_EQ(page.m_nQuality, 2);
    EXPECT_FALSE(Checked(page, R::IDC_HIGH));
    EXPECT_TRUE(Checked(page, R::IDC_MIDDLE));
    Click(page, R::IDC_QVGA);
    EXPECT_TRUE(Checked(page, R::IDC_QVGA));
    EXPECT_FALSE(Checked(page, R::IDC_VGA));
    EXPECT_TRUE(Checked(page, R::IDC_OFF));  // R.E.T.R. shown again: off
    Click(page, R::IDC_ON);
    EXPECT_EQ(page.m_byRetr, 1);
    EXPECT_TRUE(Checked(page, R::IDC_QVGA));
    Click(page, R::IDC_REMOTE_DISABLE);
    EXPECT_EQ(page.m_byRemoteRecord, 0);
    const struct {
      int id;
      const char* typed;
      const char* shown;
    } times[] = {{R::IDC_MINUTES, "75", "59"},
                 {R::IDC_HOURS, "30", "23"},
                 {R::IDC_HOURS, "7", "7"},
                 {R::IDC_MINUTES, "", ""}};
    for (const auto& t : times) {
      auto* edit = Ctl<QLineEdit>(page, t.id);
      edit->clear();
      QTest::keyClicks(edit, t.typed);
      EXPECT_EQ(edit->text(), t.shown) << t.typed;
    }
    plain.EndDialog(0);
  });
  plain.DoModal();
  plain.RemovePage(&page);
}

}  // namespace
