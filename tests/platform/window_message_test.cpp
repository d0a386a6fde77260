#include "platform/window_message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/testing/recording_window.h"

namespace platform {
namespace {

using testing::PostedMessage;
using testing::RecordingWindow;

constexpr std::uint32_t WM_SHOWSTATUS = WM_USER + 0x1B;

TEST(WindowMessageTest, PostedMessagesArriveInOrder) {
  RecordingWindow window;
  EXPECT_NE(window.Handle(), kNoWindow);
  EXPECT_TRUE(IsWindow(window.Handle()));
  EXPECT_TRUE(PostMessage(window.Handle(), WM_SHOWSTATUS, 10, 0));
  EXPECT_TRUE(PostMessage(window.Handle(), WM_USER + 2, 0, 2));
  EXPECT_EQ(window.Messages(),
            (std::vector<PostedMessage>{{WM_SHOWSTATUS, 10, 0}, {WM_USER + 2, 0, 2}}));
  EXPECT_EQ(window.MessagesWithId(WM_SHOWSTATUS).size(), 1u);
}

TEST(WindowMessageTest, PostToNoWindowOrDestroyedWindowIsHarmless) {
  EXPECT_FALSE(PostMessage(kNoWindow, WM_USER, 0, 0));
  EXPECT_FALSE(IsWindow(kNoWindow));
  WindowHandle stale = kNoWindow;
  {
    RecordingWindow window;
    stale = window.Handle();
  }
  EXPECT_FALSE(IsWindow(stale));
  EXPECT_FALSE(PostMessage(stale, WM_USER, 1, 2));
  // A new window never reuses the old handle.
  RecordingWindow next;
  EXPECT_NE(next.Handle(), stale);
  EXPECT_FALSE(PostMessage(stale, WM_USER, 1, 2));
  EXPECT_EQ(next.Count(), 0u);
  UnregisterWindow(stale);  // again: nothing happens
}

TEST(WindowMessageTest, EarlyDestroyRefusesLaterPosts) {
  RecordingWindow window;
  EXPECT_TRUE(PostMessage(window.Handle(), WM_USER, 0, 0));
  window.Destroy();
  EXPECT_FALSE(PostMessage(window.Handle(), WM_USER, 0, 0));
  EXPECT_EQ(window.Count(), 1u);
}

// Posters keep posting while the window goes away: every post either arrives or is refused,
// and none arrives after the window is gone.
TEST(WindowMessageTest, ConcurrentPostersAndDestroy) {
  auto window = std::make_unique<RecordingWindow>();
  const WindowHandle handle = window->Handle();
  std::atomic<bool> run{true};
  std::atomic<int> accepted{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      while (run.load()) {
        if (PostMessage(handle, WM_USER + 1, 0, 0)) {
          ++accepted;
        }
      }
    });
  }
  ASSERT_TRUE(window->WaitForCount(100));
  window->Destroy();
  const std::size_t delivered = window->Count();
  const int acceptedAtDestroy = accepted.load();
  run = false;
  for (auto& poster : posters) {
    poster.join();
  }
  // Every poster has ended: a post delivered after the window went away would show now.
  EXPECT_EQ(window->Count(), delivered);
  EXPECT_LE(acceptedAtDestroy, accepted.load());
  EXPECT_EQ(static_cast<std::size_t>(accepted.load()), delivered);
  window.reset();
}

TEST(WindowMessageTest, CallbackRunsOnPostersThreadWithoutWaiting) {
  std::thread::id deliveredOn;
  const WindowHandle handle = RegisterWindow(
      [&](std::uint32_t, WParam, LParam) { deliveredOn = std::this_thread::get_id(); });
  std::thread poster([&] { PostMessage(handle, WM_USER, 0, 0); });
  const auto posterId = poster.get_id();
  poster.join();
  EXPECT_EQ(deliveredOn, posterId);
  UnregisterWindow(handle);
}

TEST(WindowMessageTest, WaitForCountTimesOut) {
  RecordingWindow window;
  EXPECT_FALSE(window.WaitForCount(1, 10));
  window.Clear();
}

}  // namespace
}  // namespace platform
