#include <gtest/gtest.h>
#include <vector>

#include "ui/common/app_style.h"
#include "ui/common/clock_st.h"
#include "ui/common/layered_wnd_helper.h"

namespace {

TEST(ClockST, DigitsOfAFixedTime) {
  const ClockDigits digits = MakeClockDigits(QDateTime(QDate(2005, 9, 15), QTime(9, 5, 7)));
  const ClockDigits expected = {0, 9, 0, 5, 0, 7, 2, 0, 0, 5, 0, 9, 1, 5};
  EXPECT_EQ(digits, expected);
}

TEST(ClockST, CreateTakesTheBackgroundSizeAndShowsTheTime) {
  QWidget host;
  CClockST clock(&host);
  clock.SetTimeSource([] { return QDateTime(QDate(2005, 9, 15), QTime(9, 5, 7)); });
  ASSERT_EQ(clock.Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                         QRect(10, 20, 1, 1), &host),
            0);
  const QImage background = LoadClockBitmap(IDB_CLOCK_BACKGROUND);
  EXPECT_EQ(clock.geometry(), QRect(QPoint(10, 20), background.size()));
  EXPECT_TRUE(clock.IsRunning());
  // The hour's first large digit (0) and the second's last small digit (7) are copied from
  // their strips.
  const QImage shown = clock.Picture();
  const QImage large = LoadClockBitmap(IDB_CLOCK_LARGE_DIGITS);
  const QImage small = LoadClockBitmap(IDB_CLOCK_SMALL_DIGITS);
  EXPECT_EQ(shown.copy(5, 33, 24, 34), large.copy(0, 0, 24, 34).convertToFormat(shown.format()));
  EXPECT_EQ(shown.copy(134, 50, 12, 17),
            small.copy(12 * 7, 0, 12, 17).convertToFormat(shown.format()));
}

// The rows of a picture's column band that hold a colour other than the ground.
std::vector<int> MarkedRows(const QImage& image, int x0, int x1) {
  const QColor ground = image.pixelColor(x0, image.height() / 2);
  std::vector<int> rows;
  for (int y = 1; y < 30; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (image.pixelColor(x, y) != ground) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

TEST(ClockST, TheDatesDashesStandAtOneHeightWithTheDigitsMiddle) {
  const QImage background = LoadClockBitmap(IDB_CLOCK_BACKGROUND);
  const QImage small = LoadClockBitmap(IDB_CLOCK_SMALL_DIGITS);
  // The gaps the digits leave between year and month, and between month and day.
  const std::vector<int> first = MarkedRows(background, 59, 69);
  const std::vector<int> second = MarkedRows(background, 95, 105);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);
  // A 0 and an 8 differ in their middle segment only: the dashes stand where it is.
  const QImage zero = small.copy(0, 0, 12, 17);
  const QImage eight = small.copy(12 * 8, 0, 12, 17);
  std::vector<int> middle;
  for (int y = 0; y < 17; ++y) {
    if (zero.pixel(6, y) != eight.pixel(6, y))
      middle.push_back(y + 5);  // the date's digits stand at y 5
  }
  EXPECT_EQ(first, middle);
}

TEST(ClockST, UnlitSegmentsAreFaintSoAZeroNeverReadsAsAnEight) {
  const QImage large = LoadClockBitmap(IDB_CLOCK_LARGE_DIGITS);
  // Digit 0 (x 0..23): its middle segment is unlit; digit 8 (x 192..215) has it lit.
  const QColor ground = large.pixelColor(1, 1);
  const QColor unlit = large.pixelColor(12, 17);
  const QColor lit = large.pixelColor(8 * 24 + 12, 17);
  EXPECT_NE(unlit, ground);
  EXPECT_LT(ui::ContrastRatio(unlit, ground), 1.2);
  EXPECT_GE(ui::ContrastRatio(lit, unlit), 4.5);
}

TEST(ClockST, SecondCreateOnARunningClockChangesNothing) {
  QWidget host;
  CClockST clock(&host);
  ASSERT_EQ(clock.Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                         QRect(0, 0, 1, 1), &host),
            0);
  const QRect before = clock.geometry();
  EXPECT_EQ(clock.Create(999, 998, 997, QRect(50, 50, 1, 1), &host), 0);
  EXPECT_EQ(clock.geometry(), before);
}

TEST(ClockST, MissingBitmapGivesOne) {
  QWidget host;
  CClockST clock(&host);
  EXPECT_EQ(clock.Create(IDB_CLOCK_BACKGROUND, 12345, IDB_CLOCK_SMALL_DIGITS, QRect(), &host), 1);
  EXPECT_FALSE(clock.IsRunning());
  EXPECT_TRUE(clock.Picture().isNull());
}

TEST(ClockST, UpdateTakesTheNewTime) {
  QWidget host;
  CClockST clock(&host);
  int second = 58;
  clock.SetTimeSource([&] { return QDateTime(QDate(2026, 12, 31), QTime(23, 59, second)); });
  ASSERT_EQ(clock.Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                         QRect(), &host),
            0);
  EXPECT_EQ(clock.Digits()[5], 8);
  second = 59;
  clock.Update();
  EXPECT_EQ(clock.Digits()[5], 9);
}

TEST(ClockST, ThePictureIsComposedWhenTheTimeChangesAndOnlyThen) {
  QWidget host;
  CClockST clock(&host);
  int second = 7;
  clock.SetTimeSource([&] { return QDateTime(QDate(2005, 9, 15), QTime(9, 5, second)); });
  ASSERT_EQ(clock.Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                         QRect(), &host),
            0);
  const qint64 first = clock.Picture().cacheKey();
  clock.Update();  // the same second: nothing to compose
  EXPECT_EQ(clock.Picture().cacheKey(), first);
  second = 8;
  clock.Update();
  EXPECT_NE(clock.Picture().cacheKey(), first);
  const QImage small = LoadClockBitmap(IDB_CLOCK_SMALL_DIGITS);
  EXPECT_EQ(clock.Picture().copy(134, 50, 12, 17),
            small.copy(12 * 8, 0, 12, 17).convertToFormat(clock.Picture().format()));
  // Painting draws the composed picture as it stands.
  host.resize(200, 100);
  EXPECT_EQ(clock.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(134, 50, 12, 17),
            clock.Picture().copy(134, 50, 12, 17));
}

struct RecordedCall {
  std::uint32_t key;
  int alpha;
  std::uint32_t flags;
};

TEST(LayeredWndHelper, FadeOutMakes101CallsDownToZero) {
  std::vector<RecordedCall> calls;
  CLayeredWndHelper helper(
      [&](QWidget*, std::uint32_t key, std::uint8_t alpha, std::uint32_t flags) {
        calls.push_back({key, alpha, flags});
        return true;
      });
  QWidget window;
  EXPECT_TRUE(helper.Init(&window));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].alpha, 255);
  EXPECT_EQ(calls[0].flags, LWA_ALPHA);
  calls.clear();
  EXPECT_TRUE(helper.FadeOut(&window));
  ASSERT_EQ(calls.size(), 101u);
  const int expectedStart[] = {255, 252, 249};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(calls[static_cast<std::size_t>(i)].alpha, expectedStart[i]);
  EXPECT_EQ(calls[99].alpha, 2);
  EXPECT_EQ(calls[100].alpha, 0);
  for (const RecordedCall& c : calls)
    EXPECT_EQ(c.flags, LWA_ALPHA);
}

TEST(LayeredWndHelper, WithoutTheFunctionCallsReportFailureAndNothingBreaks) {
  CLayeredWndHelper helper{CLayeredWndHelper::AttributeSetter{}};
  QWidget window;
  EXPECT_TRUE(helper.Init(&window));
  EXPECT_FALSE(helper.SetAttributes(&window, 0, 128, LWA_ALPHA));
  EXPECT_TRUE(helper.FadeOut(&window));
  EXPECT_TRUE(helper.Unload());
  // Not loaded: nothing to call, reported as done.
  EXPECT_TRUE(helper.SetAttributes(&window, 0, 128, LWA_ALPHA));
}

TEST(LayeredWndHelper, DefaultSetterChangesTheWindowOpacity) {
  CLayeredWndHelper helper;
  QWidget window;
  helper.Init(&window);
  EXPECT_TRUE(helper.SetAttributes(&window, 0, 51, LWA_ALPHA));
  EXPECT_NEAR(window.windowOpacity(), 0.2, 0.01);
}

}  // namespace
