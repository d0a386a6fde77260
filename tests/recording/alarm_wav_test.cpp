#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "media/audio/alarm_wav.h"
#include "platform/testing/capture_audio_out.h"
#include "recording/wav_builder.h"

namespace {

using namespace wavtest;

struct WavCase {
  const char* name;
  std::vector<std::uint8_t> file;
  WavParseResult expected;
  std::size_t dataBytes;
};

std::vector<WavCase> WavCases() {
  std::vector<WavCase> cases;
  cases.push_back({"plain", SimpleWav(Samples(100)), WavParseResult::kOk, 100});
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "LIST", {1, 2, 3, 4, 5, 6}, 6);
    PutChunk(chunks, "data", Samples(10), 10);
    cases.push_back({"LIST chunk skipped", Riff(chunks), WavParseResult::kOk, 10});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "note", {1, 2, 3, 0}, 3);  // odd size: one pad byte
    PutChunk(chunks, "data", Samples(10), 10);
    cases.push_back({"odd chunk with pad byte", Riff(chunks), WavParseResult::kOk, 10});
  }
  {
    std::vector<std::uint8_t> body = FormatBody();
    body.insert(body.end(), {0, 0});
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", body, 18);  // WAVEFORMATEX with cbSize
    PutChunk(chunks, "data", Samples(4), 4);
    cases.push_back({"18-byte format chunk", Riff(chunks), WavParseResult::kOk, 4});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "LIST", {1, 2}, 2);
    cases.push_back({"no data chunk", Riff(chunks), WavParseResult::kNoDataChunk, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "data", {}, 0);
    cases.push_back({"zero-length data", Riff(chunks), WavParseResult::kEmptyData, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "data", Samples(10), 11);
    cases.push_back({"data size past the end", Riff(chunks), WavParseResult::kChunkPastEnd, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    PutChunk(chunks, "LIST", {1, 2}, 0xFFFFFFF0u);
    PutChunk(chunks, "data", Samples(10), 10);
    cases.push_back({"huge skipped chunk", Riff(chunks), WavParseResult::kChunkPastEnd, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 16);
    chunks.insert(chunks.end(), {'d', 'a', 't'});
    cases.push_back({"truncated chunk header", Riff(chunks), WavParseResult::kChunkPastEnd, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", {1, 0, 1, 0}, 4);
    PutChunk(chunks, "data", Samples(10), 10);
    cases.push_back({"short format chunk", Riff(chunks), WavParseResult::kBadFormatChunk, 0});
  }
  {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(), 400);
    cases.push_back({"format past the end", Riff(chunks), WavParseResult::kBadFormatChunk, 0});
  }
  cases.push_back({"header only", Riff({}), WavParseResult::kBadFormatChunk, 0});
  cases.push_back({"empty file", {}, WavParseResult::kNotRiffWave, 0});
  cases.push_back({"garbage", Samples(64), WavParseResult::kNotRiffWave, 0});
  {
    auto file = SimpleWav(Samples(8));
    file[8] = 'X';
    cases.push_back({"not WAVE", file, WavParseResult::kNotRiffWave, 0});
  }
  return cases;
}

TEST(AlarmWavParse, Table) {
  for (const WavCase& c : WavCases()) {
    AlarmWaveData wave;
    EXPECT_EQ(ParseAlarmWav(c.file, &wave), c.expected) << c.name;
    if (c.expected == WavParseResult::kOk) {
      EXPECT_EQ(wave.samples.size(), c.dataBytes) << c.name;
      EXPECT_EQ(wave.format, platform::PcmFormat{}) << c.name;
    }
    // Every prefix of a file is refused or parsed without reading past it.
    for (std::size_t n = 0; n < c.file.size(); ++n) {
      AlarmWaveData cut;
      ParseAlarmWav(std::span(c.file).first(n), &cut);
    }
  }
}

std::unique_ptr<AlarmWaveBlock> BlockWith(std::size_t bytes) {
  auto block = std::make_unique<AlarmWaveBlock>();
  block->wave.samples = Samples(bytes);
  return block;
}

TEST(AlarmWavFill, WrapsWithoutAGap) {
  auto block = BlockWith(20000);
  const auto& s = block->wave.samples;
  for (std::size_t i = 0; i < 3; ++i) {
    FillAlarmWaveBuffer(*block, i);
  }
  EXPECT_TRUE(std::equal(block->buffers[0].begin(), block->buffers[0].end(), s.begin()));
  EXPECT_TRUE(std::equal(block->buffers[1].begin(), block->buffers[1].end(), s.begin() + 8000));
  EXPECT_TRUE(
      std::equal(block->buffers[2].begin(), block->buffers[2].begin() + 4000, s.begin() + 16000));
  EXPECT_TRUE(std::equal(block->buffers[2].begin() + 4000, block->buffers[2].end(), s.begin()));
  EXPECT_EQ(block->position, 4000u);
  EXPECT_EQ(block->headers[2].data.size(), kAlarmWavBufferBytes);
}

TEST(AlarmWavFill, ExactAndShortSamples) {
  auto exact = BlockWith(8000);
  FillAlarmWaveBuffer(*exact, 0);
  FillAlarmWaveBuffer(*exact, 1);
  EXPECT_EQ(exact->buffers[0], exact->buffers[1]);

  auto tiny = BlockWith(3);
  FillAlarmWaveBuffer(*tiny, 0);
  for (std::size_t i = 0; i < kAlarmWavBufferBytes; ++i) {
    ASSERT_EQ(tiny->buffers[0][i], tiny->wave.samples[i % 3]) << i;
  }

  auto none = std::make_unique<AlarmWaveBlock>();
  none->buffers[0].fill(0x55);
  FillAlarmWaveBuffer(*none, 0);
  EXPECT_EQ(none->buffers[0][7999], 0);
}

class AlarmWavFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("kavelin_alarmwav_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  std::filesystem::path dir;
};

TEST_F(AlarmWavFiles, LoadsThePathOrFallsBackToTheProgramFolder) {
  Write("alarm.wav", SimpleWav(Samples(50)));
  Write("mine.wav", SimpleWav(Samples(70)));
  CAlarmWav sound;
  ASSERT_TRUE(sound.LoadAlarmWav((dir / "mine.wav").string(), dir.string()));
  EXPECT_EQ(sound.Block()->wave.samples.size(), 70u);
  ASSERT_TRUE(sound.LoadAlarmWav((dir / "missing.wav").string(), dir.string()));
  EXPECT_EQ(sound.Block()->wave.samples.size(), 50u);
  EXPECT_EQ(sound.Path(), (dir / "missing.wav").string());

  std::filesystem::remove(dir / "alarm.wav");
  EXPECT_FALSE(sound.LoadAlarmWav((dir / "missing.wav").string(), dir.string()));
  EXPECT_EQ(sound.Block(), nullptr);
}

TEST_F(AlarmWavFiles, RefusedFileLeavesNoSound) {
  std::vector<std::uint8_t> chunks;
  PutChunk(chunks, "fmt ", FormatBody(), 16);
  Write("alarm.wav", Riff(chunks));
  CAlarmWav sound;
  EXPECT_FALSE(sound.LoadAlarmWav((dir / "alarm.wav").string(), dir.string()));
  EXPECT_EQ(sound.LastResult(), WavParseResult::kNoDataChunk);
  EXPECT_EQ(sound.Block(), nullptr);
}

// Hands every call to a device the test owns, so the test can look at it after the thread
// that made the device has ended.
class ForwardingAudioOut final : public platform::IAudioOut {
 public:
  explicit ForwardingAudioOut(platform::IAudioOut& target) : m_target(target) {}
  platform::AudioResult Open(const platform::PcmFormat& f, DoneCallback cb) override {
    return m_target.Open(f, std::move(cb));
  }
  platform::AudioResult Prepare(platform::AudioBlock& b) override { return m_target.Prepare(b); }
  platform::AudioResult Unprepare(platform::AudioBlock& b) override {
    return m_target.Unprepare(b);
  }
  platform::AudioResult Write(platform::AudioBlock& b) override { return m_target.Write(b); }
  platform::AudioResult Reset() override { return m_target.Reset(); }
  platform::AudioResult Close() override { return m_target.Close(); }
  bool IsOpen() const override { return m_target.IsOpen(); }

 private:
  platform::IAudioOut& m_target;
};

class AlarmWavThread : public AlarmWavFiles {
 protected:
  void TearDown() override {
    platform::SetAudioOutFactory({});
    AlarmWavFiles::TearDown();
  }
};

TEST_F(AlarmWavThread, KeepsEightBuffersPlayingInOrderUntilStopped) {
  Write("alarm.wav", SimpleWav(Samples(20000)));
  CAlarmWav sound;
  ASSERT_TRUE(sound.LoadAlarmWav((dir / "alarm.wav").string(), dir.string()));
  platform::testing::CaptureAudioOut capture;
  platform::testing::CaptureAudioOut* device = &capture;
  platform::SetAudioOutFactory(
      [&capture] { return std::make_unique<ForwardingAudioOut>(capture); });
  platform::Event done;
  platform::Event stopEvent;
  platform::Thread thread;
  ASSERT_TRUE(thread.Start("PlayAudioWavThread", [&](platform::StopToken stop) {
    return PlayAudioWavThread(sound, done, stopEvent, stop);
  }));
  auto waitFor = [&](std::size_t blocks) {
    for (int i = 0; i < 2000 && (device == nullptr || device->Blocks().size() < blocks); ++i) {
      platform::Event().Wait(10);
    }
    return device != nullptr ? device->Blocks().size() : 0;
  };
  ASSERT_EQ(waitFor(8), 8u);
  EXPECT_EQ(device->CompleteBlocks(3), 3u);
  ASSERT_GE(waitFor(11), 11u);
  stopEvent.Set();
  ASSERT_TRUE(thread.Join(20000));
  EXPECT_EQ(thread.ExitCode(), 0u);

  const auto bytes = device->Bytes();
  ASSERT_EQ(bytes.size(), 11 * kAlarmWavBufferBytes);
  const auto& s = sound.Block()->wave.samples;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    ASSERT_EQ(bytes[i], s[i % s.size()]) << i;
  }
  EXPECT_GE(device->ResetCount(), 1u);
}

#ifdef KAVELIN_PROGRAM_DIR
// The alarm.wav the build writes beside the programs: the program folder's sound (taken when
// the settings' path cannot be read) is a short tone in a format the device opens, it loops
// without a jump, and it plays.
TEST_F(AlarmWavThread, TheProgramFoldersOwnSoundLoadsAndPlays) {
  std::filesystem::copy_file(std::filesystem::path(KAVELIN_PROGRAM_DIR) / "alarm.wav",
                             dir / "alarm.wav");
  CAlarmWav sound;
  ASSERT_TRUE(sound.LoadAlarmWav((dir / "no such sound.wav").string(), dir.string()));
  const AlarmWaveData& wave = sound.Block()->wave;
  EXPECT_TRUE(platform::IsValidPcmFormat(wave.format));
  EXPECT_EQ(wave.format.bitsPerSample, 16);
  const std::size_t bytesPerSecond = wave.format.avgBytesPerSec;
  EXPECT_GE(wave.samples.size(), bytesPerSecond / 4);
  EXPECT_LE(wave.samples.size(), 4 * bytesPerSecond);
  ASSERT_EQ(wave.samples.size() % wave.format.blockAlign, 0u);
  const auto sample = [&](std::size_t i) {
    return static_cast<std::int16_t>(wave.samples[2 * i] | wave.samples[2 * i + 1] << 8);
  };
  const std::size_t count = wave.samples.size() / 2;
  int peak = 0;
  int largestStep = 0;
  for (std::size_t i = 0; i < count; ++i) {
    peak = std::max(peak, std::abs(int{sample(i)}));
    largestStep = std::max(largestStep, std::abs(sample((i + 1) % count) - sample(i)));
  }
  EXPECT_GT(peak, 8000);   // audible
  EXPECT_LT(peak, 32767);  // not clipped
  // The step from the last sample back to the first is no larger than any step inside.
  EXPECT_LE(std::abs(sample(0) - sample(count - 1)), largestStep);

  platform::testing::CaptureAudioOut capture;
  platform::SetAudioOutFactory(
      [&capture] { return std::make_unique<ForwardingAudioOut>(capture); });
  platform::Event done;
  platform::Event stopEvent;
  platform::Thread thread;
  ASSERT_TRUE(thread.Start("PlayAudioWavThread", [&](platform::StopToken stop) {
    return PlayAudioWavThread(sound, done, stopEvent, stop);
  }));
  for (int i = 0; i < 2000 && capture.Blocks().size() < kAlarmWavBufferCount; ++i)
    platform::Event().Wait(10);
  stopEvent.Set();
  ASSERT_TRUE(thread.Join(20000));
  EXPECT_EQ(thread.ExitCode(), 0u);
  EXPECT_EQ(capture.Format(), wave.format);
  const auto bytes = capture.Bytes();
  ASSERT_EQ(bytes.size(), kAlarmWavBufferCount * kAlarmWavBufferBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], wave.samples[i % wave.samples.size()]) << i;
}
#endif

TEST_F(AlarmWavThread, FailsWhenTheDeviceCannotOpenOrNothingWasLoaded) {
  CAlarmWav empty;
  platform::Event done, stopEvent;
  platform::Thread unused;
  EXPECT_EQ(PlayAudioWavThread(empty, done, stopEvent, unused.GetStopToken()), 0xFFFFFFFFu);

  Write("alarm.wav", SimpleWav(Samples(100)));
  ASSERT_TRUE(empty.LoadAlarmWav((dir / "alarm.wav").string(), dir.string()));
  platform::SetAudioOutFactory([] {
    auto made = std::make_unique<platform::testing::CaptureAudioOut>();
    made->FailNextOpen(platform::AudioResult::NoDriver);
    return made;
  });
  EXPECT_EQ(PlayAudioWavThread(empty, done, stopEvent, unused.GetStopToken()), 0xFFFFFFFFu);
}

TEST_F(AlarmWavThread, OnTheNullDeviceWaitsForTheStopWithoutSpinning) {
  Write("alarm.wav", SimpleWav(Samples(100)));
  CAlarmWav sound;
  ASSERT_TRUE(sound.LoadAlarmWav((dir / "alarm.wav").string(), dir.string()));
  platform::Event done, stopEvent;
  stopEvent.Set();
  platform::Thread unused;
  EXPECT_EQ(PlayAudioWavThread(sound, done, stopEvent, unused.GetStopToken()), 0u);
}

}  // namespace
