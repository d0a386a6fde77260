#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QTest>
#include <array>
#include <functional>
#include <vector>

#include "gui_test_support.h"
#include "ui/common/vtx_button.h"

namespace {

using ui::testing::PixelOf;
using ui::testing::SolidBitmapFolder;

const QColor kFlat(200, 0, 0);
const QColor kFocus(0, 200, 0);
const QColor kSelected(0, 0, 200);
const QColor kState0(200, 200, 0);
const QColor kHover0(0, 200, 200);
const QColor kState1(200, 0, 200);
const QColor kHover1(90, 90, 90);
const QColor kSingle(250, 250, 250);

const std::array<QString, 4> kTwoStates = {"BMP\\s0.bmp", "BMP\\s0h.bmp", "BMP\\s1.bmp",
                                           "BMP\\s1h.bmp"};

class VtxButtonTest : public ::testing::Test {
 protected:
  VtxButtonTest() {
    EXPECT_TRUE(m_bitmaps.Add("BMP\\flat.bmp", 10, 10, kFlat));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\focus.bmp", 10, 10, kFocus));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\sel.bmp", 10, 10, kSelected));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\s0.bmp", 10, 10, kState0));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\s0h.bmp", 10, 10, kHover0));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\s1.bmp", 10, 10, kState1));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\s1h.bmp", 10, 10, kHover1));
    EXPECT_TRUE(m_bitmaps.Add("BMP\\one.bmp", 10, 10, kSingle));
    m_button.setGeometry(0, 0, 10, 10);
    m_button.show();
  }

  void LoadLooks(std::uint16_t type) {
    ASSERT_TRUE(m_button.LoadButtonBitmap("BMP\\flat.bmp", "BMP\\focus.bmp", "BMP\\sel.bmp", type));
  }
  void LoadStates(std::uint16_t type) {
    ASSERT_TRUE(m_button.LoadButtonBitmap(2, kTwoStates, type));
  }

  static void Over(CVtxButton& b) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &move);
  }
  static void Leave(CVtxButton& b) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&b, &leave);
  }
  static void Press(CVtxButton& b) {
    QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  }
  static void Release(CVtxButton& b) {
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  }
  void Over() { Over(m_button); }
  void Leave() { Leave(m_button); }
  void Press() { Press(m_button); }
  void Release() { Release(m_button); }
  QColor Shown() { return PixelOf(m_button, 5, 5); }

  SolidBitmapFolder m_bitmaps;
  CVtxButton m_button;
};

enum class Step { Over, Press, Release, Leave };

struct LookCase {
  const char* name;
  std::uint16_t type;
  bool states;  // loaded with two state pairs, else with the three looks
  QColor atRest;
  std::vector<std::pair<Step, QColor>> steps;
};

TEST_F(VtxButtonTest, LooksFollowTypeAndMouse) {
  const std::vector<LookCase> cases = {
      {"press-hover",
       VTX_PRESS_HOVER,
       false,
       kFlat,
       {{Step::Over, kFocus},
        {Step::Press, kSelected},
        {Step::Release, kFlat},
        {Step::Leave, kFlat}}},
      {"hover",
       VTX_HOVER,
       false,
       kFlat,
       {{Step::Over, kFocus},
        {Step::Press, kFocus},
        {Step::Release, kFocus},
        {Step::Leave, kFlat}}},
      {"press",
       VTX_PRESS,
       false,
       kFlat,
       {{Step::Over, kFlat},
        {Step::Press, kSelected},
        {Step::Release, kFlat},
        {Step::Leave, kFlat}}},
      {"plain",
       VTX_PLAIN,
       false,
       kFlat,
       {{Step::Over, kFlat}, {Step::Press, kFlat}, {Step::Release, kFlat}, {Step::Leave, kFlat}}},
      {"cycle-looks",
       VTX_CYCLE_LOOKS,
       false,
       kFlat,
       {{Step::Press, kFocus},
        {Step::Release, kFocus},
        {Step::Press, kSelected},
        {Step::Release, kSelected},
        {Step::Press, kFlat}}},
      {"frames",
       VTX_FRAMES,
       true,
       kState0,
       {{Step::Over, kHover0},
        {Step::Press, kState1},
        {Step::Release, kState1},
        {Step::Leave, kState1},
        {Step::Over, kHover1},
        {Step::Press, kState0},
        {Step::Leave, kState0}}},
      {"states-hover",
       VTX_STATES_HOVER,
       true,
       kState0,
       {{Step::Over, kHover0},
        {Step::Press, kHover0},
        {Step::Release, kHover0},
        {Step::Leave, kState0}}},
      {"states",
       VTX_STATES,
       true,
       kState0,
       {{Step::Over, kState0},
        {Step::Press, kState0},
        {Step::Release, kState0},
        {Step::Leave, kState0}}},
  };
  for (const LookCase& c : cases) {
    SCOPED_TRACE(c.name);
    CVtxButton b;
    b.setGeometry(0, 0, 10, 10);
    b.show();
    if (c.states) {
      ASSERT_TRUE(b.LoadButtonBitmap(2, kTwoStates, c.type));
    } else {
      ASSERT_TRUE(b.LoadButtonBitmap("BMP\\flat.bmp", "BMP\\focus.bmp", "BMP\\sel.bmp", c.type));
    }
    EXPECT_EQ(PixelOf(b, 5, 5), c.atRest);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      switch (c.steps[i].first) {
        case Step::Over:
          Over(b);
          break;
        case Step::Press:
          Press(b);
          break;
        case Step::Release:
          Release(b);
          break;
        case Step::Leave:
          Leave(b);
          break;
      }
      EXPECT_EQ(PixelOf(b, 5, 5), c.steps[i].second);
    }
  }
}

TEST_F(VtxButtonTest, SingleBitmapIgnoresTheMouse) {
  ASSERT_TRUE(m_button.LoadButtonBitmap(QString("BMP\\one.bmp"), VTX_SINGLE));
  EXPECT_EQ(Shown(), kSingle);
  Over();
  EXPECT_EQ(Shown(), kSingle);
  Press();
  EXPECT_EQ(Shown(), kSingle);
  Release();
  EXPECT_EQ(Shown(), kSingle);
  Leave();
  EXPECT_EQ(Shown(), kSingle);
}

TEST_F(VtxButtonTest, ThreeLooksShowNothingInStateZeroAndFollowSetLook) {
  LoadLooks(VTX_THREE_LOOKS);
  EXPECT_EQ(m_button.ShownLook(), CVtxButton::Look::None);
  m_button.SetLook(2);
  EXPECT_EQ(m_button.CurrentState(), 2);
  EXPECT_EQ(Shown(), kFocus);
  m_button.SetLook(3);
  EXPECT_EQ(Shown(), kSelected);
}

TEST_F(VtxButtonTest, SetButtonStateReadsPreviousStateWithWrap) {
  LoadStates(VTX_STATES_HOVER);
  struct Case {
    int current;
    int expected;
  };
  for (const Case c : {Case{0, 1}, Case{1, 0}}) {
    m_button.SetButtonState(c.current);
    EXPECT_EQ(m_button.SetButtonState(-1), c.expected);
    EXPECT_EQ(m_button.CurrentState(), c.current);
  }
}

TEST_F(VtxButtonTest, StateOutOfRangeKeepsCurrentStateAndRepaints) {
  LoadStates(VTX_STATES);
  EXPECT_EQ(m_button.SetButtonState(1), 1);
  EXPECT_EQ(m_button.SetButtonState(5), 1);
  EXPECT_EQ(m_button.CurrentState(), 1);
  EXPECT_EQ(Shown(), kState1);
  EXPECT_EQ(m_button.SetButtonState(-7), 1);
  EXPECT_EQ(m_button.CurrentState(), 1);
}

TEST_F(VtxButtonTest, PressOnFramesCanBeUndone) {
  LoadStates(VTX_FRAMES);
  Press();
  Release();
  EXPECT_EQ(m_button.CurrentState(), 1);
  m_button.SetButtonState(m_button.SetButtonState(-1));
  EXPECT_EQ(m_button.CurrentState(), 0);
  EXPECT_EQ(Shown(), kState0);
}

TEST_F(VtxButtonTest, StepsOnAButtonWithoutStatesDoNothing) {
  LoadLooks(VTX_HOVER);
  EXPECT_EQ(m_button.SetButtonState(0), -1);
  EXPECT_EQ(m_button.SetButtonState(-1), -1);
  EXPECT_EQ(m_button.ShowNextFrame(), -1);
  EXPECT_EQ(m_button.ShowPreviousFrame(), -1);
  EXPECT_EQ(m_button.CurrentState(), 0);
  EXPECT_EQ(Shown(), kFlat);
  // A single-bitmap button has a bitmap but no states to step through.
  ASSERT_TRUE(m_button.LoadButtonBitmap(QString("BMP\\one.bmp"), VTX_SINGLE));
  EXPECT_EQ(m_button.ShowNextFrame(), -1);
  EXPECT_EQ(m_button.ShowPreviousFrame(), -1);
  EXPECT_EQ(m_button.SetButtonState(0), 1);
  EXPECT_EQ(Shown(), kSingle);
}

TEST_F(VtxButtonTest, FramesStepBothWays) {
  ASSERT_TRUE(m_button.LoadButtonBitmap(
      2, QStringList{kTwoStates[0], kTwoStates[1], kTwoStates[2], kTwoStates[3]}, VTX_FRAMES));
  EXPECT_EQ(m_button.ShowPreviousFrame(), 1);
  EXPECT_EQ(m_button.CurrentState(), 1);
  EXPECT_EQ(m_button.ShowNextFrame(), 1);
  EXPECT_EQ(m_button.CurrentState(), 0);
}

TEST_F(VtxButtonTest, FailedLoadsKeepTheOldType) {
  LoadLooks(VTX_HOVER);
  struct Case {
    const char* name;
    std::function<bool(CVtxButton&)> load;
  };
  const std::array<QString, 4> missingSecondState = {"BMP\\s0.bmp", "BMP\\s0h.bmp", "BMP\\nope.bmp",
                                                     "BMP\\s1h.bmp"};
  const std::vector<Case> cases = {
      {"focus missing",
       [](CVtxButton& b) {
         return b.LoadButtonBitmap("BMP\\flat.bmp", "BMP\\missing.bmp", "BMP\\sel.bmp", VTX_PRESS);
       }},
      {"flat missing",
       [](CVtxButton& b) {
         return b.LoadButtonBitmap("BMP\\missing.bmp", "BMP\\focus.bmp", "BMP\\sel.bmp", VTX_PRESS);
       }},
      {"single missing",
       [](CVtxButton& b) { return b.LoadButtonBitmap(QString("BMP\\missing.bmp"), VTX_SINGLE); }},
      {"second state missing",
       [&](CVtxButton& b) { return b.LoadButtonBitmap(2, missingSecondState, VTX_FRAMES); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.load(m_button));
    EXPECT_EQ(m_button.ButtonType(), VTX_HOVER);
  }
}

TEST_F(VtxButtonTest, FailedStateLoadCountsOnlyLoadedStates) {
  const std::array<QString, 4> names = {"BMP\\s0.bmp", "BMP\\s0h.bmp", "BMP\\nope.bmp",
                                        "BMP\\s1h.bmp"};
  EXPECT_FALSE(m_button.LoadButtonBitmap(2, names, VTX_FRAMES));
  EXPECT_EQ(m_button.StateCount(), 1);
  EXPECT_EQ(m_button.ShowNextFrame(), 1);
  EXPECT_EQ(m_button.CurrentState(), 0);
}

TEST_F(VtxButtonTest, FailedFocusLoadKeepsTheFlatLook) {
  EXPECT_FALSE(
      m_button.LoadButtonBitmap("BMP\\flat.bmp", "BMP\\missing.bmp", "BMP\\sel.bmp", VTX_PRESS));
  EXPECT_EQ(Shown(), kFlat);
}

TEST_F(VtxButtonTest, ClickSignalStillFires) {
  LoadLooks(VTX_PRESS_HOVER);
  int clicks = 0;
  QObject::connect(&m_button, &QAbstractButton::clicked, [&] { ++clicks; });
  QTest::mouseClick(&m_button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(clicks, 1);
}

}  // namespace
