// Sustained recording: each iteration files one video frame in the pre-record ring the way the
// compose thread does (PutFrameToRecordBuffer), with 0, 1, 2 or 3 recorders recording it into
// their own .vs4 files. The time per iteration is the stall the recorders cause to decoding;
// bytes per second is the write rate. The peer writes the same frames with plain sequential
// write() calls to one file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/record/recorder.h"
#include "media/record_buffer.h"

namespace {

constexpr std::size_t kFrameBytes = 16 * 1024;
constexpr int kFrames = 3000;  // well under a file's frame limit

std::filesystem::path BenchDir() {
  auto dir = std::filesystem::temp_directory_path() /
             ("kavelin_bench_record_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 4000 && !condition(); ++i) {
    platform::Event().Wait(5);
  }
  return condition();
}

void BM_RecordFrames(benchmark::State& state) {
  const auto recorders = static_cast<int>(state.range(0));
  const auto dir = BenchDir();
  CSystemBuffer ring;
  ring.Allocate();
  RecorderEnvironment env = RecorderEnvironment::Defaults();
  env.ring = &ring;
  env.showMessage = [](std::string_view) {};
  env.nowSeconds = [] { return std::int64_t{1000}; };
  auto alarm = std::make_shared<CAlarmRecord>(env);
  auto user = std::make_shared<CUserRecord>(env);
  auto sch = std::make_shared<CSchRecord>(env);
  std::array<ScheduleEntry, 10> window{};
  window[0] = {0, 1 << 30, true};
  RecordBufferReaders readers{alarm, user, sch};
  SetRecordBufferReaders(readers);
  for (const auto& recorder :
       {std::static_pointer_cast<CRecorder>(alarm), std::static_pointer_cast<CRecorder>(user),
        std::static_pointer_cast<CRecorder>(sch)}) {
    recorder->CreateThread(4);
  }
  std::vector<std::uint8_t> bytes(kFrameBytes, 0x5A);
  RecordFrame frame;
  frame.bytes = bytes;
  frame.kind = kKindMpeg4I;
  RecordContext context;
  context.frameWidth = 704;
  context.frameHeight = 576;
  std::string path = dir.string();
  if (recorders >= 1) {
    alarm->OpenRecordFile(path, 4);
  }
  if (recorders >= 2) {
    user->OpenRecordFile(path, 4);
  }
  if (recorders >= 3) {
    sch->SetSchedule(window, dir.string());
  }
  WaitUntil([&] {
    return (recorders < 1 || alarm->IsRecording()) && (recorders < 2 || user->IsRecording()) &&
           (recorders < 3 || sch->IsRecording());
  });
  for (auto _ : state) {
    PutFrameToRecordBuffer(ring, frame, context, nullptr);
    frame.pts += 3600;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFrameBytes) *
                          std::max(recorders, 1));
  sch->SetSchedule({}, dir.string());
  alarm->StopRecord();
  user->StopRecord();
  sch->StopRecord();
  for (auto* r : {static_cast<CRecorder*>(alarm.get()), static_cast<CRecorder*>(user.get()),
                  static_cast<CRecorder*>(sch.get())}) {
    r->ExitThread(10000);
  }
  SetRecordBufferReaders({});
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecordFrames)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Iterations(kFrames)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// Peer: the same frames, each preceded by a 48-byte descriptor, written with write().
void BM_PlainWrite(benchmark::State& state) {
  const auto dir = BenchDir();
  const std::string path = (dir / "plain.bin").string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::uint8_t> bytes(kFrameBytes, 0x5A);
  std::array<std::uint8_t, 48> descriptor{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(::write(fd, descriptor.data(), descriptor.size()));
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
  }
  ::close(fd);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFrameBytes));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PlainWrite)->Iterations(kFrames)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
