// The recorders, the pre-record ring and the alarm sound as start-up, a re-login rebuild and
// shut-down drive them: frames filed in the ring reach the recorder threads, a user record
// survives the rebuild and is finished at shut-down, an alarm edge of the packet header starts
// and stops the alarm recorder and enters the record in the alarm database.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/wait_until.h"
#include "lifecycle/lifecycle_fixture.h"
#include "media/alarm_db/alarm_database.h"
#include "media/audio/alarm_wav.h"
#include "media/frame_header.h"
#include "media/record/recorder.h"
#include "media/record/vs4_format.h"
#include "media/record_buffer.h"
#include "media/recording_hooks.h"
#include "recording/wav_builder.h"

namespace wiring_test {
namespace {

using lifecycle_test::HeadlessLoginWindow;
using lifecycle_test::HeadlessMainWindow;
using lifecycle_test::LifecycleTest;

// Bounded wait on a condition another thread makes true.
using fakes::WaitUntil;

// Files one MPEG-4 frame in the data block's ring as the compose thread does.
void StoreFrame(std::uint32_t kind, std::uint8_t fill) {
  const std::vector<std::uint8_t> bytes(64, fill);
  RecordFrame frame;
  frame.bytes = bytes;
  frame.kind = kind;
  frame.pts = fill * 3600u;
  RecordContext context;
  context.videoFormat = 4;
  context.frameWidth = 704;
  context.frameHeight = 576;
  context.now = SystemTime{2026, 12, 0, 9, 23, 30, 15, 0};
  ASSERT_EQ(PutFrameToRecordBuffer(g_lpApp->m_SystemBuffer, frame, context, nullptr), 1);
}

// A packet header with status word A (an alarm) or without status words (no alarm).
std::vector<std::uint8_t> HeaderPacket(bool alarm) {
  if (alarm) {
    return {1, 0, 10, 0, 0, 0, static_cast<std::uint8_t>(kFlagStatusA), 0, 1, 0};
  }
  return {1, 0, 8, 0, 0, 0, 0, 0};
}

// Parses a packet header as the receiver does: the header, then its alarm edges acted on.
int ParseAsReceiver(CFrameHeader& header, const std::vector<std::uint8_t>& packet) {
  AlarmEdges edges;
  const int result = header.Parse(packet, &edges);
  ActOnAlarmEdges(edges);
  return result;
}

std::optional<Vs4File> ReadRecord(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  return ReadVs4(bytes);
}

std::vector<std::uint8_t> FirstBytesOf(const Vs4File& file) {
  std::vector<std::uint8_t> first;
  for (const Vs4Frame& frame : file.frames) {
    first.push_back(frame.bytes.empty() ? 0 : frame.bytes.front());
  }
  return first;
}

class RecordingHooksTest : public LifecycleTest {
 protected:
  void SetUp() override {
    LifecycleTest::SetUp();
    app::SetMediaHooks(WithRecorders(app::StandInMediaHooks()));
    m_login = std::make_shared<HeadlessLoginWindow>(
        std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0}});
    app::SetLoginWindow(m_login);
    app::SetMainWindow(m_main);
  }

  void TearDown() override {
    LifecycleTest::TearDown();
    SetFrameHeaderAlarmHooks(DefaultFrameHeaderAlarmHooks());
  }

  // The terminate and init threads take the login resources down and build them again, as
  // they do around a re-login.
  static void RebuildLoginResources() {
    const EventHandle terminateDone = app::LoadHandle(g_lpApp->m_hTerminateDoneEvent);
    const EventHandle initDone = app::LoadHandle(g_lpApp->m_hInitDoneEvent);
    ASSERT_TRUE(terminateDone && initDone);
    app::SignalEvent(g_lpApp->h_Process_Notify_TerminateEvent);
    ASSERT_TRUE(terminateDone->Wait(20000));
    app::SignalEvent(g_lpApp->Process_Notify_InitEvent);
    ASSERT_TRUE(initDone->Wait(20000));
  }

  static std::string RecordFolder() {
    const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
    return g_lpApp->m_SettingINI.m_strRecordPath;
  }

  std::shared_ptr<HeadlessLoginWindow> m_login;
  std::shared_ptr<HeadlessMainWindow> m_main = std::make_shared<HeadlessMainWindow>();
};

TEST_F(RecordingHooksTest, UserRecordRunsAcrossAReLoginAndTheTeardownRunsTwice) {
  std::string recordFile;
  m_main->scenario = [&] {
    CAppData& app = *g_lpApp;
    // The ring hands frames to the data block's three recorders, in order.
    const RecordBufferReaders readers = GetRecordBufferReaders();
    EXPECT_EQ(readers[0].get(), static_cast<IRecordBufferReader*>(&app.m_AlarmRecord));
    EXPECT_EQ(readers[1].get(), static_cast<IRecordBufferReader*>(&app.m_UserRecord));
    EXPECT_EQ(readers[2].get(), static_cast<IRecordBufferReader*>(&app.m_SchRecord));
    ASSERT_TRUE(app.m_SystemBuffer.IsAllocated());

    std::string path = RecordFolder();
    ASSERT_TRUE(app.m_UserRecord.OpenRecordFile(path, 4));
    ASSERT_TRUE(WaitUntil([&] { return app.m_UserRecord.IsRecording(); }));
    recordFile = app.m_UserRecord.LastFileName();
    StoreFrame(kKindMpeg4I, 1);
    StoreFrame(kKindMpeg4P, 2);
    // An alarm record runs alongside.
    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(true)), 1);
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.IsRecording(); }));
    StoreFrame(kKindMpeg4P, 3);

    RebuildLoginResources();
    // The rebuild finished the alarm record and left the user record open, to go on in the
    // new session.
    EXPECT_EQ(app.m_AlarmRecord.FilesFinished(), 1u);
    EXPECT_FALSE(app.m_AlarmRecord.HasOpenFile());
    EXPECT_EQ(app.m_VideoFrameHeader.m_bAlarmRecordStarted.load(), 0u);
    EXPECT_TRUE(app.m_UserRecord.HasOpenFile());
    EXPECT_TRUE(app::MediaHooks().userRecordGoesOn());
    ASSERT_TRUE(WaitUntil([&] { return app.m_UserRecord.IsRecording(); }));
    EXPECT_NE(GetRecordBufferReaders()[1], nullptr);
    StoreFrame(kKindMpeg4P, 4);
    StoreFrame(kKindMpeg4P, 5);
    EXPECT_TRUE(app.m_UserRecord.StopRecord());
    EXPECT_EQ(app.m_UserRecord.FilesFinished(), 1u);
  };

  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_EQ(m_main->runs, 1);
  // The main window took the login resources down; shut-down runs them again.
  EXPECT_EQ(theApp.ExitLoginResource(), 1);
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_FALSE(g_lpApp);
  for (const auto& reader : GetRecordBufferReaders()) {
    EXPECT_EQ(reader, nullptr);
  }

  ASSERT_FALSE(recordFile.empty());
  const auto file = ReadRecord(recordFile);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(FirstBytesOf(*file), (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(file->header.byRecordKind, static_cast<std::uint8_t>(RecordKind::kUser));
}

TEST_F(RecordingHooksTest, UserRecordStillOpenAtShutDownIsFinished) {
  std::string recordFile;
  m_main->scenario = [&] {
    CAppData& app = *g_lpApp;
    std::string path = RecordFolder();
    ASSERT_TRUE(app.m_UserRecord.OpenRecordFile(path, 4));
    ASSERT_TRUE(WaitUntil([&] { return app.m_UserRecord.IsRecording(); }));
    recordFile = app.m_UserRecord.LastFileName();
    StoreFrame(kKindMpeg4I, 7);
    StoreFrame(kKindMpeg4P, 8);
  };
  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_EQ(theApp.ExitInstance(), 0);

  ASSERT_FALSE(recordFile.empty());
  const auto file = ReadRecord(recordFile);
  ASSERT_TRUE(file.has_value()) << "the record file was left unfinished";
  EXPECT_EQ(FirstBytesOf(*file), (std::vector<std::uint8_t>{7, 8}));
}

TEST_F(RecordingHooksTest, AlarmEdgeOfThePacketHeaderRecordsAndEntersTheDatabase) {
  std::string recordFile;
  std::uint32_t finished = 0;
  m_main->scenario = [&] {
    CAppData& app = *g_lpApp;
    StoreFrame(kKindMpeg4I, 1);  // pre-recorded: the ring's first key frame
    StoreFrame(kKindMpeg4P, 2);

    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(true)), 1);
    EXPECT_EQ(app.m_VideoFrameHeader.m_bAlarmRecordStarted.load(), 1u);
    ASSERT_TRUE(app.m_AlarmRecord.HasOpenFile());
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.IsRecording(); }));
    recordFile = app.m_AlarmRecord.LastFileName();
    StoreFrame(kKindMpeg4P, 3);
    StoreFrame(kKindMpeg4P, 4);
    // The same alarm in the next packet starts nothing new.
    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(true)), 1);
    EXPECT_EQ(app.m_AlarmRecord.LastFileName(), recordFile);

    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(false)), 1);
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.FilesFinished() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return !app.m_AlarmRecord.HasOpenFile(); }));
    finished = app.m_AlarmRecord.FilesFinished();
    EXPECT_EQ(app.m_VideoFrameHeader.m_bAlarmRecordStarted.load(), 0u);
    EXPECT_EQ(app.m_AudioFrameHeader.m_bAlarmRecordStarted.load(), 0u);
  };
  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_EQ(finished, 1u);
  ASSERT_FALSE(recordFile.empty());

  const auto file = ReadRecord(recordFile);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(FirstBytesOf(*file), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(file->header.byRecordKind, static_cast<std::uint8_t>(RecordKind::kAlarm));

  const auto records = g_AlarmDatabase.LoadList();
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 1u);
  const AlarmDataRecord& entry = records->front();
  EXPECT_EQ(entry.FileName(), recordFile);
  EXPECT_EQ(entry.dwFrames, 4u);
  EXPECT_EQ(entry.Server(), g_lpApp->m_SettingINI.m_strServerAddress);
  EXPECT_EQ(entry.StartTime, file->header.FirstFrameTime);
  EXPECT_EQ(entry.StartTime.wYear, 2026);
}

// An alarm that ends before any frame reached the ring leaves no record: the file is removed
// and the alarm database is not pointed at it; the headers can start the next alarm record,
// which is entered as usual.
TEST_F(RecordingHooksTest, AlarmRecordOfNoFrameIsRemovedAndNotEntered) {
  std::string emptyFile;
  std::string recordFile;
  m_main->scenario = [&] {
    CAppData& app = *g_lpApp;
    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(true)), 1);
    ASSERT_TRUE(app.m_AlarmRecord.HasOpenFile());
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.IsRecording(); }));
    emptyFile = app.m_AlarmRecord.LastFileName();
    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(false)), 1);
    ASSERT_TRUE(WaitUntil([&] { return !app.m_AlarmRecord.HasOpenFile(); }));
    EXPECT_EQ(app.m_AlarmRecord.FilesFinished(), 1u);
    EXPECT_FALSE(std::filesystem::exists(emptyFile));
    EXPECT_EQ(app.m_VideoFrameHeader.m_bAlarmRecordStarted.load(), 0u);
    EXPECT_EQ(app.m_AudioFrameHeader.m_bAlarmRecordStarted.load(), 0u);

    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(true)), 1);
    ASSERT_TRUE(app.m_AlarmRecord.HasOpenFile());
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.IsRecording(); }));
    recordFile = app.m_AlarmRecord.LastFileName();
    StoreFrame(kKindMpeg4I, 5);
    StoreFrame(kKindMpeg4P, 6);
    ASSERT_EQ(ParseAsReceiver(app.m_VideoFrameHeader, HeaderPacket(false)), 1);
    ASSERT_TRUE(WaitUntil([&] { return !app.m_AlarmRecord.HasOpenFile(); }));
    EXPECT_EQ(app.m_AlarmRecord.FilesFinished(), 2u);
  };
  EXPECT_EQ(theApp.InitInstance(), 0);
  ASSERT_FALSE(recordFile.empty());
  const auto file = ReadRecord(recordFile);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(FirstBytesOf(*file), (std::vector<std::uint8_t>{5, 6}));

  const auto records = g_AlarmDatabase.LoadList();
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 1u);
  EXPECT_EQ(records->front().FileName(), recordFile);
  EXPECT_EQ(records->front().dwFrames, 2u);
}

class AlarmSoundHooksTest : public LifecycleTest {
 protected:
  void SetUp() override {
    LifecycleTest::SetUp();
    BuildDataBlock();
    m_hooks = WithRecorders(app::StandInMediaHooks());
  }

  static void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
  }

  app::MediaEngineHooks m_hooks;
};

TEST_F(AlarmSoundHooksTest, LoadsTheFileOrTheProgramFoldersSound) {
  const auto own = m_folder.Path() / "own.wav";
  WriteFile(own, wavtest::SimpleWav(wavtest::Samples(20000)));
  const auto missing = (m_folder.Path() / "missing.wav").string();

  EXPECT_TRUE(m_hooks.loadAlarmSound(own.string()));
  ASSERT_NE(g_lpApp->m_AlarmWav.Block(), nullptr);
  EXPECT_EQ(g_lpApp->m_AlarmWav.Block()->wave.samples.size(), 20000u);

  EXPECT_FALSE(m_hooks.loadAlarmSound(missing));  // and no alarm.wav in the program folder

  WriteFile(m_folder.Path() / "alarm.wav", wavtest::SimpleWav(wavtest::Samples(8000)));
  EXPECT_TRUE(m_hooks.loadAlarmSound(missing));
  ASSERT_NE(g_lpApp->m_AlarmWav.Block(), nullptr);
  EXPECT_EQ(g_lpApp->m_AlarmWav.Block()->wave.samples.size(), 8000u);

  auto done = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  m_hooks.setAlarmSoundEvent(done);
  EXPECT_EQ(AlarmSoundDoneEvent(), done);
}

TEST_F(AlarmSoundHooksTest, SoundThreadStillPlayingEndsBeforeTheSoundIsReplaced) {
  const auto own = m_folder.Path() / "own.wav";
  WriteFile(own, wavtest::SimpleWav(wavtest::Samples(16000)));
  CAppData& app = *g_lpApp;
  app::StoreHandle(app.m_hAlarmWavStopEvent,
                   std::make_shared<platform::Event>(platform::ResetMode::Auto, false));
  const EventHandle stopEvent = app::LoadHandle(app.m_hAlarmWavStopEvent);
  // A sound thread that ends on its stop event only, as the real one does.
  ASSERT_TRUE(app::StartEngineThread(app.h_PlayAudioWavThread, app.h_PlayAudioWavThreadId,
                                     "PlayAudioWav", [stopEvent](platform::StopToken) {
                                       stopEvent->Wait();
                                       return 0u;
                                     }));
  EXPECT_TRUE(m_hooks.loadAlarmSound(own.string()));
  EXPECT_FALSE(app::EngineThreadRunning(app.h_PlayAudioWavThread));
  ASSERT_NE(app.m_AlarmWav.Block(), nullptr);
  EXPECT_EQ(app.m_AlarmWav.Block()->wave.samples.size(), 16000u);
}

}  // namespace
}  // namespace wiring_test
