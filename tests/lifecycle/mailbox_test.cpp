// The mailbox to the kernel-message thread: the codes it serves, reports dropped while the
// streams stop or a loss is pending, one re-login for several loss reports, the closed mailbox
// after the kernel thread ended, and a shut-down that neither waits on the lock nor on a
// stuck thread without a limit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/relogin_thread.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/fake_video_server.h"
#include "fakes/wait_until.h"
#include "lifecycle_fixture.h"
#include "platform/testing/manual_clock.h"

namespace lifecycle_test {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

using fakes::WaitUntil;

// The kernel thread and its mailbox on a test clock, with the main window's sink.
class MailboxTest : public EngineThreadTest<platform::testing::ManualClock> {
 protected:
  void SetUp() override {
    EngineThreadTest::SetUp();
    BuildDataBlock();
    g_lpApp->m_wStreamMpeg4Width = 352;
    g_lpApp->m_wStreamMpeg4Height = 288;
    app::SetMainWindowSink(m_sink);
    // The window's painter hands the show thread its slot back.
    m_sink->SetShowImageHook([] { app::SignalEvent(g_lpApp->FinishShowImageJobEvent); });
    ASSERT_EQ(theApp.InitProcessResource(), 1);
    ASSERT_EQ(theApp.InitLoginResource(), 1);
  }

  std::uint32_t LockCount() {
    return app::LoadHandle(g_lpApp->h_FeedBackMessageTriggerSemaphore)->Count();
  }

  // Posts a code the kernel thread answers at once (3, the window size) and waits for the
  // answer. The mailbox serves its codes one at a time in order, so whatever report it took
  // before has been handled by then: a check that a report changed nothing looks after this.
  bool MailboxServedEarlierReports() {
    const std::size_t before = m_sink->CountOf("ModifyMainDialogSize");
    return PostKernelMessage(kKernelModifyMainDialogSize, 20000) &&
           WaitUntil([&] { return m_sink->CountOf("ModifyMainDialogSize") > before; });
  }
};

TEST_F(MailboxTest, ImageReadyPaintsOnTheKernelThreadAndGivesTheLockBack) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(MessageTrigger(2), 0u);
  }
  ASSERT_TRUE(m_sink->WaitForCount(3));
  EXPECT_EQ(m_sink->CountOf("ShowImage"), 3u);
  EXPECT_TRUE(WaitUntil([&] { return LockCount() == 1; }));
}

TEST_F(MailboxTest, ImageReadyIsDroppedWhileTheStreamsStop) {
  app::SignalEvent(g_lpApp->h_EndofGetJpegImageEvent);
  EXPECT_EQ(MessageTrigger(2), 0u);
  EXPECT_EQ(LockCount(), 1u);
  ASSERT_TRUE(MailboxServedEarlierReports());
  EXPECT_EQ(m_sink->CountOf("ShowImage"), 0u);
}

TEST_F(MailboxTest, UnknownKindsOfReportDoNothing) {
  EXPECT_EQ(MessageTrigger(0), 0u);
  EXPECT_EQ(MessageTrigger(3), 0u);
  EXPECT_EQ(MessageTrigger(200), 0u);
  EXPECT_EQ(LockCount(), 1u);
}

TEST_F(MailboxTest, UnknownCodeIsTracedAndTheLockReleased) {
  ASSERT_TRUE(PostKernelMessage(9, 1000));
  ASSERT_TRUE(m_log->WaitFor("no mapping case to handle message"));
  EXPECT_TRUE(WaitUntil([&] { return LockCount() == 1; }));
  // The mailbox goes on serving.
  ASSERT_TRUE(PostKernelMessage(3, 5000));
  ASSERT_TRUE(m_sink->WaitForCount(1));
  EXPECT_EQ(m_sink->Calls(), (std::vector<std::string>{"ModifyMainDialogSize()"}));
}

TEST_F(MailboxTest, FeedbackStopsAPendingAlarmSoundOnly) {
  auto stopEvent = std::make_shared<platform::Event>();
  app::StoreHandle(g_lpApp->m_hAlarmWavStopEvent, stopEvent);
  ASSERT_TRUE(PostKernelMessage(5, 5000));
  ASSERT_TRUE(WaitUntil([&] { return LockCount() == 1; }));
  EXPECT_FALSE(stopEvent->IsSet());

  g_lpApp->m_bAlarmWavPending = 1;
  ASSERT_TRUE(PostKernelMessage(5, 5000));
  ASSERT_TRUE(WaitUntil([&] { return g_lpApp->m_bAlarmWavPending.load() == 0; }));
  EXPECT_TRUE(stopEvent->Wait(5000));
}

TEST_F(MailboxTest, ReloadAlarmSoundMakesNewEventsOnlyWhenTheSoundLoads) {
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  std::atomic<int> loads{0};
  std::atomic<bool> loadResult{false};
  std::shared_ptr<platform::Event> handed;
  std::mutex handedLock;
  hooks.loadAlarmSound = [&](const std::string&) {
    ++loads;
    return loadResult.load();
  };
  hooks.setAlarmSoundEvent = [&](std::shared_ptr<platform::Event> event) {
    const std::lock_guard lock(handedLock);
    handed = std::move(event);
  };
  app::SetMediaHooks(hooks);
  auto oldStop = std::make_shared<platform::Event>();
  app::StoreHandle(g_lpApp->m_hAlarmWavStopEvent, oldStop);

  ASSERT_TRUE(PostKernelMessage(4, 5000));
  ASSERT_TRUE(WaitUntil([&] { return loads.load() == 1 && LockCount() == 1; }));
  EXPECT_TRUE(oldStop->IsSet());  // the playing sound was stopped
  EXPECT_EQ(app::LoadHandle(g_lpApp->m_hAlarmWavStopEvent), oldStop);

  loadResult = true;
  ASSERT_TRUE(PostKernelMessage(4, 5000));
  ASSERT_TRUE(WaitUntil([&] { return loads.load() == 2 && LockCount() == 1; }));
  EXPECT_NE(app::LoadHandle(g_lpApp->m_hAlarmWavStopEvent), oldStop);
  const std::lock_guard lock(handedLock);
  EXPECT_EQ(handed, app::LoadHandle(g_lpApp->m_hAlarmWavEvent));
  EXPECT_NE(handed, nullptr);
}

TEST_F(MailboxTest, SeveralLossReportsAtOnceGiveOneReLogin) {
  // The server refuses the login, so the one re-login keeps waiting on the test clock.
  fakes::FakeVideoServer server;
  server.SetCredentials("nobody", "nothing");
  UseServer(server.WebPort());

  std::vector<std::thread> reporters;
  for (int i = 0; i < 4; ++i) {
    reporters.emplace_back([] { MessageTrigger(1); });
  }
  for (std::thread& reporter : reporters) {
    reporter.join();
  }
  ASSERT_TRUE(m_log->WaitFor("ReLoginThread: \"Start Login\" in"));
  // Reports while the loss is handled are dropped.
  MessageTrigger(1);
  ASSERT_TRUE(server.WaitForRequests(1, milliseconds(20000)));
  ASSERT_TRUE(MailboxServedEarlierReports());
  EXPECT_EQ(m_log->Count("Got h_Process_Notify_TerminateEvent"), 1u);
  EXPECT_EQ(m_log->Count("ReLoginThread: \"Start Login\" in"), 1u);
  EXPECT_EQ(m_sink->CountOf("CloseConfigSheet"), 1u);
  EXPECT_EQ(m_sink->CountOf("SetConnectButtonState(1)"), 1u);
}

// A loss of a session that started moments ago (the device refused the stream) is logged into
// again after the waits of a failed attempt, and a snapshot asked of the lost streams and not
// served yet ends with them (the next session's first picture is not the one asked for), which
// the window tells the operator. AV SWITCH ends the streams through the same road on purpose:
// the re-login logs in at once and the snapshot request stays for the new option's pictures.
class LossKindTest : public MailboxTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LossKindTest, ShortSessionWaitAndSnapshotRequestFollowTheKindOfLoss) {
  const bool avSwitch = GetParam();
  fakes::FakeVideoServer server;
  server.SetCredentials("nobody", "nothing");  // the re-login keeps trying
  UseServer(server.WebPort());
  g_lpApp->m_bSessionStarted = 1;
  g_lpApp->m_dwSessionStartTick = m_clock.Ticks();
  g_lpApp->m_bSnapshotRequest = 1;
  g_lpApp->m_bAvSwitched = avSwitch ? 1 : 0;
  MessageTrigger(1);
  ASSERT_TRUE(m_log->WaitFor("ReLoginThread: \"Save Button 0\" out"));
  if (avSwitch) {
    // The login comes without the test clock moving.
    ASSERT_TRUE(server.WaitForRequests(1, milliseconds(20000)));
    EXPECT_EQ(m_log->Count("soon after it started"), 0u);
    EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 1u);
    EXPECT_EQ(m_sink->CountOf("SnapshotNotTaken"), 0u);
  } else {
    ASSERT_TRUE(m_log->WaitFor("soon after it started"));
    ASSERT_TRUE(m_clock.WaitForWaiters(1));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 0u);
    EXPECT_EQ(m_sink->CountOf("SnapshotNotTaken"), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, LossKindTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "AvSwitch" : "Loss"; });

TEST_F(MailboxTest, LossReportWhileTheLoginResourcesAreRebuiltIsDropped) {
  app::StoreHandle(g_lpApp->h_NotifyMessageTriggerEvent, nullptr);
  EXPECT_EQ(MessageTrigger(1), 0u);
  EXPECT_EQ(LockCount(), 1u);
  ASSERT_TRUE(MailboxServedEarlierReports());
  EXPECT_EQ(m_log->Count("Got h_Process_Notify_TerminateEvent"), 0u);
}

// The receivers report a loss when the end of the streams ends their wait, as a lost connection
// does; while the login resources are taken down (a shut-down, DISCONNECT, a loss being
// handled) that report is dropped, so no re-login starts on the way out.
TEST_F(MailboxTest, StreamsTakenDownGiveNoReLogin) {
  ASSERT_EQ(theApp.ExitLoginResource(), 1);
  const app::ThreadFactory reporter = []() -> app::ThreadBody {
    const EventHandle end = app::LoadHandle(g_lpApp->h_EndofGetJpegImageEvent);
    return [end](platform::StopToken stop) -> std::uint32_t {
      if (platform::WaitAny({&stop.StopEvent(), end.get()}, platform::kInfinite) == 1)
        MessageTrigger(static_cast<std::uint8_t>(kKernelConnectionLost), stop);
      return 0;
    };
  };
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  hooks.udpGetImageData = reporter;
  hooks.tcpGetImageData = reporter;
  app::SetMediaHooks(hooks);
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  ASSERT_EQ(theApp.InitLoginResource(), 1);
  ASSERT_EQ(theApp.ExitLoginResource(), 1);
  ASSERT_TRUE(MailboxServedEarlierReports());
  EXPECT_EQ(m_log->Count("Got h_Process_Notify_TerminateEvent"), 0u);
  EXPECT_EQ(m_log->Count("ReLoginThread: \"Start Login\" in"), 0u);
  EXPECT_EQ(LockCount(), 1u);
}

TEST_F(MailboxTest, FailedRebuildIsNotAnsweredAndTheInitThreadServesTheNextOne) {
  const EventHandle terminateDone = app::LoadHandle(g_lpApp->m_hTerminateDoneEvent);
  const EventHandle initDone = app::LoadHandle(g_lpApp->m_hInitDoneEvent);
  app::SignalEvent(g_lpApp->h_Process_Notify_TerminateEvent);
  ASSERT_TRUE(terminateDone->Wait(20000));
  EXPECT_FALSE(g_lpApp->ShowImageDataThread);

  g_lpApp->m_wStreamMpeg4Width = 1280;  // a size the buffers cannot hold
  g_lpApp->m_wStreamMpeg4Height = 720;
  app::SignalEvent(g_lpApp->Process_Notify_InitEvent);
  ASSERT_TRUE(m_log->WaitFor("Process_Init_Thread : InitLoginResource is failed"));
  EXPECT_FALSE(initDone->IsSet());
  EXPECT_FALSE(g_lpApp->ShowImageDataThread);

  g_lpApp->m_wStreamMpeg4Width = 704;
  g_lpApp->m_wStreamMpeg4Height = 576;
  app::SignalEvent(g_lpApp->Process_Notify_InitEvent);
  ASSERT_TRUE(initDone->Wait(20000));
  EXPECT_TRUE(g_lpApp->ShowImageDataThread);
  EXPECT_NE(app::LoadHandle(g_lpApp->ImageSocketBufferSem), nullptr);
}

TEST_F(MailboxTest, NoReLoginWhenTheStreamThreadsCannotBeStopped) {
  app::StopEngineThread("test", "Process_Terminate_Thread", g_lpApp->h_Process_Terminate_Thread,
                        g_lpApp->h_Process_Terminate_ThreadId, 20000, app::ThreadIdFormat::Hex,
                        false);
  MessageTrigger(1);
  // The kernel thread waits in rounds of 7 s on the test clock.
  ASSERT_TRUE(WaitUntil([&] {
    m_clock.Advance(kTerminateWaitMs);
    return m_log->Count("the stream threads cannot be stopped") == 1;
  }));
  EXPECT_TRUE(WaitUntil([&] { return LockCount() == 1; }));
  EXPECT_EQ(m_log->Count("ReLoginThread"), 0u);
  EXPECT_FALSE(g_lpApp->h_ReLoginThread);
  EXPECT_EQ(m_sink->CountOf("SetConnectButtonState"), 0u);
}

TEST_F(MailboxTest, ConnectStartsAReLoginAndDisconnectEndsItWithFeedback) {
  fakes::FakeVideoServer server;
  server.SetCredentials("nobody", "nothing");
  UseServer(server.WebPort());
  ASSERT_TRUE(ConnectReLogin());
  ASSERT_TRUE(server.WaitForRequests(1, milliseconds(20000)));
  EXPECT_EQ(g_lpApp->m_bConnected.load(), 1u);
  // A second CONNECT replaces the running re-login.
  ASSERT_TRUE(ConnectReLogin());
  EXPECT_EQ(m_log->Count("OnLogin: h_ReLoginThread"), 1u);

  g_lpApp->m_bAlarmWavPending = 1;
  EXPECT_TRUE(DisconnectReLogin(5000));
  EXPECT_FALSE(g_lpApp->h_ReLoginThread);
  EXPECT_EQ(g_lpApp->m_bConnected.load(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return g_lpApp->m_bAlarmWavPending.load() == 0; }));
}

TEST_F(MailboxTest, DisconnectDoesNotHangOnABusyMailbox) {
  ASSERT_TRUE(app::LoadHandle(g_lpApp->h_FeedBackMessageTriggerSemaphore)->Wait(0));
  const auto start = steady_clock::now();
  EXPECT_FALSE(DisconnectReLogin(50));
  EXPECT_LT(steady_clock::now() - start, milliseconds(10000));
  app::LoadHandle(g_lpApp->h_FeedBackMessageTriggerSemaphore)->Release();
}

TEST_F(MailboxTest, EndClosesTheMailboxAndLaterPostersReturnAtOnce) {
  ASSERT_TRUE(PostKernelMessage(kKernelEnd, 5000));
  ASSERT_TRUE(g_lpApp->h_Process_KernelMessageThread->Join(20000));
  EXPECT_FALSE(IsMailboxOpen());
  // The lock was not given back, yet nobody waits for it.
  EXPECT_EQ(LockCount(), 0u);
  const auto start = steady_clock::now();
  EXPECT_EQ(MessageTrigger(1), 0u);
  EXPECT_EQ(MessageTrigger(2), 0u);
  EXPECT_FALSE(PostKernelMessage(kKernelFeedback, 60000));
  EXPECT_LT(steady_clock::now() - start, milliseconds(10000));
}

TEST_F(MailboxTest, ShutDownDoesNotWaitForALockNobodyGivesBack) {
  // A poster that never lets go of the lock.
  ASSERT_TRUE(app::LoadHandle(g_lpApp->h_FeedBackMessageTriggerSemaphore)->Wait(0));
  const auto start = steady_clock::now();
  EXPECT_EQ(theApp.ExitLoginResource(), 1);
  EXPECT_EQ(theApp.ExitProcessResource(), 1);
  EXPECT_LT(steady_clock::now() - start, milliseconds(15000));
  EXPECT_EQ(m_log->Count("the kernel thread did not take the end message"), 1u);
  EXPECT_FALSE(g_lpApp->h_Process_KernelMessageThread);
  EXPECT_FALSE(IsMailboxOpen());
}

class ShutdownTest : public LifecycleTest {};

TEST_F(ShutdownTest, StuckThreadIsGivenUpWithExitCode31AndShutDownFinishes) {
  // A show thread that ignores its stop request until the test lets it go.
  auto release = std::make_shared<platform::Event>(platform::ResetMode::Manual, false);
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  hooks.showImageData = [release]() -> app::ThreadBody {
    return [release](platform::StopToken) {
      release->Wait();
      return 0u;
    };
  };
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  g_lpApp->m_wStreamMpeg4Width = 352;
  g_lpApp->m_wStreamMpeg4Height = 288;
  ASSERT_EQ(theApp.InitProcessResource(), 1);
  ASSERT_EQ(theApp.InitLoginResource(), 1);

  const auto start = steady_clock::now();
  EXPECT_EQ(theApp.ExitLoginResource(), 1);
  EXPECT_EQ(theApp.ExitProcessResource(), 1);
  // The show thread's time-out is one second; the rest end at once. Generous for a busy host.
  EXPECT_LT(steady_clock::now() - start, milliseconds(15000));
  const auto show = m_log->Matching("ExitLoginResource: ShowImageDataThread");
  ASSERT_EQ(show.size(), 1u);
  EXPECT_NE(show[0].find("is exit with code 31"), std::string::npos);
  EXPECT_FALSE(g_lpApp->ShowImageDataThread);
  EXPECT_GE(app::AbandonedThreadCount(), 1u);

  release->Set();
  EXPECT_TRUE(app::WaitForAbandonedThreads(20000));
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_FALSE(g_lpApp);
}

// A compose thread given up because it did not end within its time still reads the stream
// buffers when it goes on: shut-down leaves them (and the data block) to the end of the process
// instead of freeing them under it.
TEST_F(ShutdownTest, BuffersStayWhileAGivenUpThreadStillRuns) {
  auto release = std::make_shared<platform::Event>(platform::ResetMode::Manual, false);
  std::atomic<std::uint32_t> read{0};
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  hooks.mpeg4Compose = [release, &read]() -> app::ThreadBody {
    CAppData* data = g_lpApp.get();
    return [release, data, &read](platform::StopToken) {
      release->Wait();
      read = data->m_pImageBuffer ? 1u + data->m_pImageBuffer[0] : 0u;
      return 0u;
    };
  };
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  g_lpApp->m_wStreamMpeg4Width = 352;
  g_lpApp->m_wStreamMpeg4Height = 288;
  ASSERT_EQ(theApp.InitProcessResource(), 1);
  ASSERT_EQ(theApp.InitLoginResource(), 1);
  CAppData* const data = g_lpApp.get();
  CMpeg4DecoderContext* const decoder = g_lpApp->m_pDecoderContext;
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_GE(app::AbandonedThreadCount(), 1u);
  EXPECT_FALSE(g_lpApp);
  EXPECT_NE(data->m_pImageBuffer, nullptr);
  EXPECT_NE(data->m_pImageSocketBuffer, nullptr);

  release->Set();
  ASSERT_TRUE(app::WaitForAbandonedThreads(20000));
  EXPECT_GE(read.load(), 1u);
  // What shut-down left to the end of the process.
  std::unique_ptr<CAppData>{data}.reset();
  std::unique_ptr<CMpeg4DecoderContext>{decoder}.reset();
}

}  // namespace
}  // namespace lifecycle_test
