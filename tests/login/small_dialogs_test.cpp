// The wait box, the clock dialog and the login about box, which no window opens: each as it
// behaves when opened.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>

#include "fakes/hand_ticks.h"
#include "login_test_support.h"
#include "ui/common/clock_st.h"
#include "ui/common/services.h"
#include "ui/login/clock_dlg.h"
#include "ui/login/login_about_dlg.h"
#include "ui/login/wait_dlg.h"

namespace {

using login_test::RunModalWith;

class SmallDialogsTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    CWaitDlg::SetDotCounter(1);
    WaitBoxEvent()->Reset();
    SetProgramEndHook([this] { ++m_endRequests; });
  }
  void TearDown() override {
    SetProgramEndHook({});
    LoginUiTest::TearDown();
  }
  static QString WaitText(CWaitDlg& box) {
    return qobject_cast<QLabel*>(box.GetDlgItem(IDC_WAIT_TEXT))->text();
  }
  int m_endRequests = 0;
  // The boxes' timers tick only when a test fires them.
  fakes::HandTicks m_ticks{fakes::HandTicks::RealTicks::kHold};
};

TEST_F(SmallDialogsTest, WaitBoxDotsRunToElevenAndOnAcrossBoxes) {
  QStringList shown;
  {
    CWaitDlg first;
    EXPECT_EQ(RunModalWith(first,
                           [&] {
                             for (int i = 0; i < 6; ++i) {
                               ASSERT_TRUE(m_ticks.Fire(first, kWaitDotTimer));
                               shown << WaitText(first);
                             }
                           }),
              login_test::kLeftOpen);
  }
  {
    CWaitDlg second;
    EXPECT_EQ(RunModalWith(second,
                           [&] {
                             for (int i = 0; i < 7; ++i) {
                               ASSERT_TRUE(m_ticks.Fire(second, kWaitDotTimer));
                               shown << WaitText(second);
                             }
                           }),
              login_test::kLeftOpen);
  }
  QStringList expected;
  for (const int dots : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1, 2})
    expected << QStringLiteral("Connecting") + QString(dots, QLatin1Char('.'));
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(m_endRequests, 0);
}

TEST_F(SmallDialogsTest, WaitBoxClosesWhenItsEventIsSet) {
  CWaitDlg box;
  const int result = RunModalWith(box, [&] {
    EXPECT_TRUE(box.Timers().IsRunning(kWaitDotTimer));
    EXPECT_EQ(box.Timers().Interval(kWaitDotTimer), 100);
    EXPECT_EQ(box.Timers().Interval(kWaitLimitTimer), 20000);
    m_ticks.Fire(box, kWaitDotTimer);
    EXPECT_FALSE(box.IsDone());
    WaitBoxEvent()->Set();
    m_ticks.Fire(box, kWaitDotTimer);
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(box.IsDone());
  EXPECT_EQ(m_endRequests, 0);
  EXPECT_EQ(m_box->Count(), 0u);
}

TEST_F(SmallDialogsTest, WaitBoxAsksForTheProgramsEndAfterTwentySecondsOrOnCancel) {
  CWaitDlg box;
  RunModalWith(box, [&] {
    ASSERT_TRUE(m_ticks.Fire(box, kWaitLimitTimer));
    EXPECT_FALSE(box.Timers().IsRunning(kWaitDotTimer));
    EXPECT_FALSE(box.Timers().IsRunning(kWaitLimitTimer));
  });
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4008)});
  EXPECT_EQ(m_endRequests, 1);

  CWaitDlg cancelled;
  RunModalWith(cancelled, [&] {
    qobject_cast<QAbstractButton*>(cancelled.GetDlgItem(IDC_WAIT_CANCEL))->click();
  });
  EXPECT_EQ(m_endRequests, 2);
  EXPECT_EQ(m_box->Count(), 1u);
}

TEST_F(SmallDialogsTest, ClockDialogHostsTheClockOnItsStatic) {
  CClockDlg dialog;
  dialog.Clock().SetTimeSource([] { return QDateTime(QDate(2005, 9, 15), QTime(9, 5, 7)); });
  const int result = RunModalWith(dialog, [&] {
    EXPECT_TRUE(dialog.Clock().IsRunning());
    EXPECT_EQ(dialog.GetDlgItem(IDC_CLOCK_STATIC), &dialog.Clock());
    EXPECT_EQ(dialog.Clock().geometry(),
              QRect(QPoint(10, 10), LoadClockBitmap(IDB_CLOCK_BACKGROUND).size()));
    EXPECT_EQ(dialog.Clock().Digits()[0], 0);
    EXPECT_EQ(dialog.Clock().Digits()[1], 9);
    dialog.EndDialog(ui::IDOK);
  });
  EXPECT_EQ(result, ui::IDOK);
}

class FixedWorkArea final : public ui::IWorkArea {
 public:
  QRect Rect() override { return QRect(0, 0, 1024, 700); }
};

TEST_F(SmallDialogsTest, LoginAboutBoxShowsItsVersionCentredInTheWorkArea) {
  ui::Services services;
  services.workArea = std::make_shared<FixedWorkArea>();
  const ui::Services previous = ui::InstallServices(services);
  CLoginAboutDlg about;
  const int result = RunModalWith(about, [&] {
    EXPECT_TRUE(about.HasPictures());
    EXPECT_EQ(about.VersionText(), QStringLiteral("Version : 1.0.1.6"));
    EXPECT_EQ(about.pos(), QPoint((1024 - 304) / 2, (700 - 238) / 2));
    EXPECT_EQ(about.size(), QSize(304, 238));
    auto* ok = qobject_cast<QAbstractButton*>(about.GetDlgItem(ui::IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(250, 200, 49, 25));
    ok->click();
  });
  EXPECT_EQ(result, ui::IDOK);
  ui::InstallServices(previous);
}

}  // namespace
