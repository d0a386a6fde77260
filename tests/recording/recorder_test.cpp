#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/wait_until.h"
#include "media/record/recorder.h"
#include "media/record_buffer.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> FrameBytes(std::uint32_t i) {
  std::vector<std::uint8_t> bytes(100 + i % 50);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    bytes[k] = static_cast<std::uint8_t>(i * 7 + k);
  }
  return bytes;
}

// Frame i is a key frame when i % 10 == 3.
std::uint32_t KindOf(std::uint32_t i) {
  return i % 10 == 3 ? kKindMpeg4I : kKindMpeg4P;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("kavelin_rec_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(ring.Allocate());
    env = RecorderEnvironment::Defaults();
    env.ring = &ring;
    env.endOfStreams = &endOfStreams;
    env.sessionId = [] { return std::string("AB12xyz"); };
    env.serverAddress = [] { return std::string("10.1.2.3"); };
    env.localTime = [] { return SystemTime{2026, 12, 0, 9, 23, 0, 0, 0}; };
    env.freeDiskBytes = [this](const std::string&) { return freeBytes.load(); };
    env.showMessage = [this](std::string_view text) {
      std::lock_guard lock(mutex);
      messages.emplace_back(text);
    };
    env.onAlarmRecordFinished = [this](std::uint32_t frames) { alarmFrames = frames; };
  }
  void TearDown() override {
    SetRecordBufferReaders({});
    std::filesystem::remove_all(dir);
  }

  // Frames from..to-1, frame i stamped (i - back) * 3600 (40 ms apart).
  void Store(std::uint32_t from, std::uint32_t to, std::uint32_t back = 0) {
    for (std::uint32_t i = from; i < to; ++i) {
      const auto bytes = FrameBytes(i);
      RecordFrame frame;
      frame.bytes = bytes;
      frame.pts = (i - back) * 3600;
      frame.kind = KindOf(i);
      RecordContext context;
      context.frameWidth = 704;
      context.frameHeight = 576;
      ASSERT_EQ(PutFrameToRecordBuffer(ring, frame, context, nullptr), 1);
    }
    // Until every recorder has given the ring back, so the test changes conditions between
    // frames, not in the middle of one.
    for (const auto& reader : GetRecordBufferReaders()) {
      if (reader) {
        ASSERT_TRUE(fakes::WaitUntil([&] { return reader->FreeSem().Count() == 1; }));
      }
    }
  }

  // A user recorder with its thread, recording into a record opened in the test's folder.
  std::shared_ptr<CUserRecord> RecordingUser() {
    auto user = std::make_shared<CUserRecord>(env);
    SetRecordBufferReaders({nullptr, user, nullptr});
    EXPECT_TRUE(user->CreateThread(4));
    std::string path = dir.string();
    EXPECT_TRUE(user->OpenRecordFile(path, 4));
    EXPECT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
    return user;
  }

  // The frames of the file, by their number in the stream.
  void ExpectFrames(const std::string& path, std::uint32_t first, std::uint32_t last) {
    Vs4ReadError error{};
    auto file = ReadVs4(ReadFile(path), &error);
    ASSERT_TRUE(file.has_value()) << Vs4ReadErrorName(error);
    ASSERT_EQ(file->frames.size(), last - first + 1);
    for (std::uint32_t i = first; i <= last; ++i) {
      const auto& frame = file->frames[i - first];
      EXPECT_EQ(frame.bytes, FrameBytes(i)) << i;
      EXPECT_EQ(frame.descriptor.dwNumber, i - first + 1);
      EXPECT_EQ(file->index[i - first].dwKind, KindOf(i)) << i;
    }
    EXPECT_EQ(file->header.abyServerAddress, (std::array<std::uint8_t, 4>{10, 1, 2, 3}));
    EXPECT_EQ(file->header.byResolution, 3);
    EXPECT_EQ(file->header.dwFormatTag, kVs4FormatMpeg4);
  }

  std::filesystem::path dir;
  CSystemBuffer ring;
  platform::Event endOfStreams{platform::ResetMode::Manual};
  RecorderEnvironment env;
  std::atomic<std::uint64_t> freeBytes{1ull << 40};
  std::mutex mutex;
  std::vector<std::string> messages;
  std::atomic<std::uint32_t> alarmFrames{0};
};

TEST_F(RecorderTest, UserRecordByHandStartsAtTheLatestKeyFrame) {
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(4));
  Store(0, 16);  // key frames at 3 and 13
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  EXPECT_EQ(path, dir.string() + "/");
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(16, 40);
  ASSERT_TRUE(user->StopRecord());
  EXPECT_FALSE(user->HasOpenFile());
  EXPECT_EQ(user->LastStatus(), Vs4Status::kOk);
  EXPECT_EQ(user->LastFileName(), dir.string() + "/USER_MP4_261209T230000_AB12.vs4");
  ExpectFrames(user->LastFileName(), 13, 39);
  auto file = ReadVs4(ReadFile(user->LastFileName()));
  EXPECT_EQ(file->frames[0].descriptor.dwInterval, kVs4NoPreviousFrame);
  EXPECT_EQ(file->header.byRecordKind, 2);

  // A second record in the same second gets its own file.
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(40, 45);
  ASSERT_TRUE(user->StopRecord());
  EXPECT_EQ(user->LastFileName(), dir.string() + "/USER_MP4_261209T230000_AB12_2.vs4");
  ExpectFrames(user->LastFileName(), 33, 44);
  EXPECT_TRUE(user->ExitThread(10000));
}

// Stamps that step back in the middle of a record (the device's clock set back) leave the file
// paced as before: the frame after the step waits the last forward interval.
TEST_F(RecorderTest, StampsSteppingBackKeepTheRecordsPace) {
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(4));
  Store(0, 16);
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(16, 24, 10);  // frame 16 is stamped as frame 6 was
  ASSERT_TRUE(user->StopRecord());
  ExpectFrames(user->LastFileName(), 13, 23);
  const auto file = ReadVs4(ReadFile(user->LastFileName()));
  ASSERT_TRUE(file.has_value());
  std::vector<std::uint32_t> intervals;
  for (const Vs4Frame& frame : file->frames) {
    intervals.push_back(frame.descriptor.dwInterval);
  }
  std::vector<std::uint32_t> expected(11, 40);
  expected[0] = kVs4NoPreviousFrame;
  EXPECT_EQ(intervals, expected);
  EXPECT_TRUE(CheckVs4Record(*file).empty());
  EXPECT_TRUE(user->ExitThread(10000));
}

TEST_F(RecorderTest, AlarmRecordTakesThePreRecordFromTheFirstKeyFrameAndIsEntered) {
  auto alarm = std::make_shared<CAlarmRecord>(env);
  SetRecordBufferReaders({alarm, nullptr, nullptr});
  ASSERT_TRUE(alarm->CreateThread(4));
  Store(0, 20);
  std::string path = dir.string();
  ASSERT_TRUE(alarm->OpenRecordFile(path, 4));
  std::string again = dir.string();
  EXPECT_FALSE(alarm->OpenRecordFile(again, 4));  // never while a file is open
  ASSERT_TRUE(fakes::WaitUntil([&] { return alarm->IsRecording(); }));
  Store(20, 30);
  ASSERT_TRUE(alarm->StopRecord());
  ExpectFrames(alarm->LastFileName(), 3, 29);
  EXPECT_EQ(alarmFrames.load(), 27u);
  EXPECT_EQ(alarm->FillCount(), 30);
  EXPECT_TRUE(alarm->ExitThread(10000));
}

TEST_F(RecorderTest, AFullDiskStopsTheRecordWithAValidFileAndAMessage) {
  auto alarm = std::make_shared<CAlarmRecord>(env);
  SetRecordBufferReaders({alarm, nullptr, nullptr});
  ASSERT_TRUE(alarm->CreateThread(4));
  Store(0, 5);
  std::string path = dir.string();
  ASSERT_TRUE(alarm->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return alarm->IsRecording(); }));
  Store(5, 10);
  freeBytes = 50ull << 20;
  Store(10, 11);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !alarm->HasOpenFile(); }));
  ExpectFrames(alarm->LastFileName(), 3, 9);
  {
    std::lock_guard lock(mutex);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kDiskFullText);
  }
  // No room: the alarm recorder does not start.
  std::string next = dir.string();
  EXPECT_FALSE(alarm->OpenRecordFile(next, 4));
  EXPECT_TRUE(alarm->ExitThread(10000));
}

// The user recorder tells when its record file is closed, by a stop or by itself (a full disk):
// once the file is closed, so that the RECORD button, which reads it then, shows no record.
TEST_F(RecorderTest, UserRecordTellsWhenItsFileIsClosed) {
  std::atomic<int> told{0};
  std::atomic<bool> openWhenTold{false};
  std::atomic<CUserRecord*> self{nullptr};
  env.onUserRecordClosed = [&] {
    ++told;
    openWhenTold = openWhenTold || self.load()->HasOpenFile();
  };
  auto user = RecordingUser();
  self = user.get();
  Store(0, 8);
  ASSERT_TRUE(user->StopRecord());
  ASSERT_TRUE(fakes::WaitUntil([&] { return told.load() == 1; }));

  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(8, 10);
  EXPECT_EQ(told.load(), 1);
  freeBytes = 50ull << 20;
  Store(10, 11);
  ASSERT_TRUE(fakes::WaitUntil([&] { return told.load() == 2; }));
  EXPECT_FALSE(user->HasOpenFile());
  EXPECT_FALSE(openWhenTold.load());
  EXPECT_TRUE(user->ExitThread(10000));
}

TEST_F(RecorderTest, UserRecordSurvivesTheEndOfTheStreamsAndContinuesAfterRelogin) {
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(4));
  Store(0, 4);
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(4, 8);
  endOfStreams.Set();
  ASSERT_TRUE(fakes::WaitUntil([&] { return !user->IsRecording(); }));
  EXPECT_TRUE(user->HasOpenFile());
  EXPECT_TRUE(user->ExitThread(10000));

  endOfStreams.Reset();
  ASSERT_TRUE(user->CreateThread(4));
  ASSERT_TRUE(user->Interrupt());
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(8, 12);
  ASSERT_TRUE(user->StopRecord());
  ExpectFrames(user->LastFileName(), 3, 11);
  EXPECT_TRUE(user->ExitThread(10000));
}

TEST_F(RecorderTest, ScheduleRecordsInsideItsWindow) {
  std::atomic<std::int64_t> now{50};
  env.nowSeconds = [&now] { return now.load(); };
  auto sch = std::make_shared<CSchRecord>(env);
  std::array<ScheduleEntry, 10> entries{};
  entries[4] = {100, 200, true};
  sch->SetSchedule(entries, dir.string());
  SetRecordBufferReaders({nullptr, nullptr, sch});
  ASSERT_TRUE(sch->CreateThread(4));
  Store(0, 6);
  now = 150;
  ASSERT_TRUE(fakes::WaitUntil([&] { return sch->IsRecording(); }));
  Store(6, 12);
  now = 201;
  Store(12, 13);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !sch->HasOpenFile(); }));
  EXPECT_EQ(sch->LastFileName(), dir.string() + "/SCH_MP4_261209T230000_AB12.vs4");
  ExpectFrames(sch->LastFileName(), 3, 11);
  EXPECT_TRUE(sch->ExitThread(10000));
}

TEST_F(RecorderTest, UserRecordRollsOverIntoANewFileAtTheFrameLimit) {
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(0));  // JPEG: no pre-record, every frame from the start
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 0));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  const std::string first = user->LastFileName();
  std::vector<std::uint8_t> tiny{7};
  RecordFrame frame;
  frame.bytes = tiny;
  frame.kind = kKindJpeg;
  RecordContext context;
  context.videoFormat = 0;
  for (std::uint32_t i = 0; i < kVs4MaxFrames + 5; ++i) {
    ASSERT_EQ(PutFrameToRecordBuffer(ring, frame, context, nullptr), 1);
    if (i + 1 == kVs4MaxFrames) {
      // The pass after the limit finishes the file and opens the next one.
      ASSERT_TRUE(
          fakes::WaitUntil([&] { return user->FilesFinished() == 1 && user->IsRecording(); }));
    }
  }
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->FreeSem().Count() == 1; }));
  ASSERT_TRUE(user->StopRecord());
  auto full = ReadVs4(ReadFile(first));
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(full->frames.size(), kVs4MaxFrames);
  EXPECT_EQ(full->index.size(), kVs4MaxFrames);
  EXPECT_NE(user->LastFileName(), first);
  auto next = ReadVs4(ReadFile(user->LastFileName()));
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(next->frames.size(), 5u);
  EXPECT_EQ(next->header.dwFormatTag, kVs4FormatJpeg);
  EXPECT_TRUE(user->ExitThread(10000));
}

TEST_F(RecorderTest, AStopThatTimesOutIsNotReportedAsSuccess) {
  // The recorder thread is held inside a pass (its disk check waits): nobody finishes the file
  // within the stop's time.
  std::atomic<bool> hold{false};
  std::atomic<bool> held{false};
  env.freeDiskBytes = [&hold, &held](const std::string&) {
    while (hold.load()) {
      held = true;
      std::this_thread::yield();
    }
    return std::uint64_t{1} << 40;
  };
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(4));
  Store(0, 4);
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  hold = true;
  std::thread stream([&] { Store(4, 5); });
  ASSERT_TRUE(fakes::WaitUntil([&] { return held.load(); }));
  EXPECT_FALSE(user->StopRecord());
  EXPECT_TRUE(user->HasOpenFile());
  std::string again = dir.string();
  EXPECT_FALSE(user->OpenRecordFile(again, 4));  // the old record is still stopping
  // The thread, once free, finishes it.
  hold = false;
  stream.join();
  ASSERT_TRUE(fakes::WaitUntil([&] { return !user->HasOpenFile(); }));
  ExpectFrames(user->LastFileName(), 3, 4);
  EXPECT_TRUE(user->ExitThread(10000));
}

// RECORD pressed and pressed again between two sessions (the streams rebuilt for a re-login,
// so no recorder thread runs): the second press finishes the file at once. The next session's
// thread has nothing left to continue or to stop, and a record started in it holds its frames.
TEST_F(RecorderTest, AStopBetweenSessionsFinishesTheFileAtOnce) {
  auto user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, user, nullptr});
  ASSERT_TRUE(user->CreateThread(4));
  Store(0, 4);
  endOfStreams.Set();  // the session ends
  EXPECT_TRUE(user->ExitThread(10000));
  std::string path = dir.string();
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  EXPECT_TRUE(user->StopRecord());
  EXPECT_FALSE(user->HasOpenFile());
  EXPECT_EQ(user->FilesFinished(), 1u);
  // It held no frame: no file is left.
  EXPECT_FALSE(std::filesystem::exists(user->LastFileName()));

  endOfStreams.Reset();  // the next session
  ASSERT_TRUE(user->CreateThread(4));
  EXPECT_FALSE(user->Interrupt());  // nothing goes on
  Store(4, 8);
  EXPECT_FALSE(user->HasOpenFile());
  EXPECT_EQ(user->FilesFinished(), 1u);
  ASSERT_TRUE(user->OpenRecordFile(path, 4));
  ASSERT_TRUE(fakes::WaitUntil([&] { return user->IsRecording(); }));
  Store(8, 14);
  ASSERT_TRUE(user->StopRecord());
  ExpectFrames(user->LastFileName(), 3, 13);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  EXPECT_TRUE(user->ExitThread(10000));
}

// A record that ends before its first frame (stopped at once, the streams ending, a disk too
// full for the first frame) is no recording: its file is removed, by each recorder, and a
// finished alarm record of no frame is reported with 0 frames (the alarm database takes none).
TEST_F(RecorderTest, ARecordEndingWithNoFrameLeavesNoFile) {
  struct Case {
    const char* name;
    std::function<std::shared_ptr<CRecorder>()> run;
    bool diskFullMessage = false;
  };
  const Case cases[] = {
      {"user record stopped at once",
       [this] {
         auto user = RecordingUser();
         EXPECT_TRUE(user->StopRecord());
         return std::shared_ptr<CRecorder>(user);
       }},
      {"alarm record stopped at once",
       [this] {
         auto alarm = std::make_shared<CAlarmRecord>(env);
         SetRecordBufferReaders({alarm, nullptr, nullptr});
         EXPECT_TRUE(alarm->CreateThread(4));
         std::string path = dir.string();
         EXPECT_TRUE(alarm->OpenRecordFile(path, 4));
         EXPECT_TRUE(fakes::WaitUntil([&] { return alarm->IsRecording(); }));
         alarm->RequestStop();  // as the end of the alarm asks for it
         EXPECT_TRUE(fakes::WaitUntil([&] { return !alarm->HasOpenFile(); }));
         return std::shared_ptr<CRecorder>(alarm);
       }},
      {"schedule window opening as the streams end",
       [this] {
         env.nowSeconds = [] { return std::int64_t{150}; };
         auto sch = std::make_shared<CSchRecord>(env);
         std::array<ScheduleEntry, 10> entries{};
         entries[0] = {100, 200, true};
         sch->SetSchedule(entries, dir.string());
         SetRecordBufferReaders({nullptr, nullptr, sch});
         EXPECT_TRUE(sch->CreateThread(4));
         EXPECT_TRUE(fakes::WaitUntil([&] { return sch->HasOpenFile(); }));
         endOfStreams.Set();
         EXPECT_TRUE(fakes::WaitUntil([&] { return sch->FilesFinished() == 1; }));
         return std::shared_ptr<CRecorder>(sch);
       }},
      {"user record on a disk too full for the first frame",
       [this] {
         auto user = RecordingUser();
         freeBytes = 50ull << 20;
         Store(0, 4);
         EXPECT_TRUE(fakes::WaitUntil([&] { return !user->HasOpenFile(); }));
         return std::shared_ptr<CRecorder>(user);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    endOfStreams.Reset();
    freeBytes = 1ull << 40;
    alarmFrames = 999;
    messages.clear();
    const std::shared_ptr<CRecorder> recorder = c.run();
    EXPECT_FALSE(recorder->HasOpenFile());
    EXPECT_EQ(recorder->FilesFinished(), 1u);
    EXPECT_FALSE(recorder->LastFileName().empty());
    EXPECT_FALSE(std::filesystem::exists(recorder->LastFileName()));
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    const bool alarm = dynamic_cast<CAlarmRecord*>(recorder.get()) != nullptr;
    EXPECT_EQ(alarmFrames.load(), alarm ? 0u : 999u);
    EXPECT_EQ(messages.size(), c.diskFullMessage ? 1u : 0u);
    EXPECT_TRUE(recorder->ExitThread(10000));
    SetRecordBufferReaders({});
  }
}

TEST_F(RecorderTest, StopWithoutAFileIsImmediateAndFormatsOtherThanZeroOrFourHaveNoThread) {
  CUserRecord user(env);
  EXPECT_TRUE(user.StopRecord());
  EXPECT_FALSE(user.Interrupt());
  EXPECT_FALSE(user.CreateThread(2));
}

}  // namespace
