#include <gtest/gtest.h>
#include <vector>

#include "ui/common/layered_wnd_helper.h"
#include "ui/main/clock_st.h"

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
