// The live path over loopback: the fake server streams the 704x576 MPEG-4 clip at 30 frames a
// second; the receiver and compose threads run as in the program, and the painter's hand-over
// is taken straight from the decoded ring (the show thread's deliberate pacing left out).
// Reported per session: latency from a frame's last packet to its hand-over (p50, p99, max, in
// microseconds), CPU time per frame of the whole process (the fake server included), frames
// lost, and heap allocations made by the client threads after the first key frame. Then the
// shown rate of the MPEG-4 road next to the JPEG road's, with the show thread's pacing on the
// 1 ms ticker. Then the decode to picture alone per frame, next to libavcodec + libswscale.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/fake_stream_server.h"
#include "fakes/stream_app_block.h"
#include "fakes/stream_packets.h"
#include "media/compose.h"
#include "media/show_pacing.h"
#include "media/stream_receiver.h"
#include "platform/clock.h"

#ifdef MEDIA_BENCH_HAVE_AVCODEC
extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}
#endif

// The replaced global allocation functions below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

thread_local bool t_countAllocations = false;
std::atomic<std::uint64_t> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  if (t_countAllocations)
    g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size))
    return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kWidth = 704;
constexpr std::uint16_t kHeight = 576;
constexpr std::uint32_t kLoops = 3;

const std::vector<fakes::ClipFrame>& Clip() {
  static const std::vector<fakes::ClipFrame> clip =
      fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_DATA_DIR "/clip_704x576.m4v"));
  return clip;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void PrepareApp(CAppData& app, std::uint16_t port) {
  fakes::PrepareVideoSession(app, port, kWidth, kHeight, "BENCH");
}

struct Session {
  std::vector<double> latencyUs;
  double cpuPerFrameMs = 0;
  std::uint32_t lost = 0;
  std::uint64_t allocations = 0;
};

Session RunSession(bool udp) {
  Session result;
  SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
  fakes::FakeStreamServer server;
  server.SetVideoClip(Clip());
  server.SetLoops(kLoops);
  server.SetFrameInterval(std::chrono::milliseconds(33));
  g_lpApp = std::make_unique<CAppData>();
  CAppData& app = *g_lpApp;
  PrepareApp(app, server.Port());
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  decoder.Open(kWidth, kHeight, 0);
  app.m_pDecoderContext = &decoder;

  std::atomic<bool> counting{false};
  ReceiverSetup receiver = ReceiverSetupFromApp(StreamKind::kVideo, udp);
  receiver.reportLost = [] {};
  ComposeSetup compose = ComposeSetupFromApp(true);
  platform::Thread receiverThread;
  platform::Thread composeThread;
  receiverThread.Start("receiver", [&](platform::StopToken s) {
    t_countAllocations = true;
    return RunStreamReceiver(receiver, s);
  });
  composeThread.Start("compose", [&](platform::StopToken s) {
    t_countAllocations = true;
    return RunCompose(compose, s);
  });

  const std::size_t total = Clip().size() * kLoops;
  std::vector<Clock::time_point> handedAt;
  handedAt.reserve(total);
  const double cpuStart = CpuSeconds();
  std::uint64_t allocationsAtFirst = 0;
  for (std::size_t i = 0; i < total; ++i) {
    if (!app.JPEGImageBufferRelSemaphore->Wait(3000))
      break;
    handedAt.push_back(Clock::now());
    if (i == 0)
      allocationsAtFirst = g_allocations.load();
    app.JPEGImageBufferSemaphore->Release(1);
  }
  const double cpu = CpuSeconds() - cpuStart;
  result.allocations = g_allocations.load() - allocationsAtFirst;
  (void)counting;
  app.h_EndofGetJpegImageEvent->Set();
  receiverThread.RequestStop();
  composeThread.RequestStop();
  receiverThread.Join(10000);
  composeThread.Join(10000);
  const auto sent = server.FrameSentTimes();
  server.Stop();
  g_lpApp.reset();

  result.lost = static_cast<std::uint32_t>(total - handedAt.size());
  for (std::size_t i = 0; i < handedAt.size() && i < sent.size(); ++i) {
    result.latencyUs.push_back(
        std::chrono::duration<double, std::micro>(handedAt[i] - sent[i]).count());
  }
  result.cpuPerFrameMs = handedAt.empty() ? 0 : cpu * 1000 / static_cast<double>(handedAt.size());
  std::sort(result.latencyUs.begin(), result.latencyUs.end());
  return result;
}

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty())
    return 0;
  const auto at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1));
  return sorted[at];
}

void BM_LivePath(benchmark::State& state) {
  const bool udp = state.range(0) != 0;
  Session last;
  for (auto _ : state) {
    last = RunSession(udp);
  }
  state.counters["p50_us"] = Percentile(last.latencyUs, 0.50);
  state.counters["p99_us"] = Percentile(last.latencyUs, 0.99);
  state.counters["max_us"] = last.latencyUs.empty() ? 0 : last.latencyUs.back();
  state.counters["cpu_ms_per_frame"] = last.cpuPerFrameMs;
  state.counters["lost"] = last.lost;
  state.counters["allocations"] = static_cast<double>(last.allocations);
  state.SetLabel(udp ? "UDP" : "TCP");
}
BENCHMARK(BM_LivePath)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The shown rate: the server sends 30 frames a second (33 ms apart, stamped so) over UDP; the
// receiver, compose and show threads run as in the program, the show thread clocked by the 1 ms
// ticker and pacing as with video and sound (AvSwitch Option 3), the window's hand-over answered
// at once. The JPEG road streams the clip's pictures as an MJPEG encoder writes them, so their
// data holds what real pictures hold. Reported over the measuring time (after a second of
// warm-up): pictures shown and frames sent per second, and the fewest shown in one second.
constexpr int kStreamIntervalMs = 33;
double g_shownSeconds = 10.0;
double g_warmUpSeconds = 1.0;

const std::vector<fakes::ClipFrame>& StampedMpeg4Clip() {
  static const std::vector<fakes::ClipFrame> clip =
      fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_DATA_DIR "/clip_704x576.m4v"), kStreamIntervalMs * 90);
  return clip;
}

// Ten seconds of ffmpeg's test scene at 704 x 576 as its MJPEG encoder writes them: in about
// one picture of five the scan data holds bytes that read as a start code with a time stamp, as
// a camera's pictures do. Where ffmpeg cannot be run, libjpeg-turbo's encode of the MPEG-4
// clip's pictures.
fakes::ByteVector FfmpegMjpeg() {
  const std::string command =
      "ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=704x576:rate=30 "
      "-frames:v 300 -f mjpeg -q:v 5 - 2>/dev/null";
  fakes::ByteVector mjpeg;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      mjpeg.insert(mjpeg.end(), buffer, buffer + n);
    ::pclose(pipe);
  }
  return mjpeg;
}

fakes::ByteVector TurboMjpeg() {
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  decoder.Open(kWidth, kHeight, 1);
  std::vector<std::uint8_t> picture(std::size_t{kWidth} * kHeight * 3);
  fakes::ByteVector mjpeg;
  tjhandle compressor = tjInitCompress();
  for (const auto& f : Clip()) {
    decoder.DecodeFrameInto(f.elementary.data(), static_cast<std::uint32_t>(f.elementary.size()),
                            picture);
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(compressor, picture.data(), kWidth, 0, kHeight, TJPF_BGR, &jpeg, &size,
                    TJSAMP_420, 85, TJFLAG_BOTTOMUP) == 0) {
      mjpeg.insert(mjpeg.end(), jpeg, jpeg + size);
    }
    tjFree(jpeg);
  }
  tjDestroy(compressor);
  return mjpeg;
}

const std::vector<fakes::ClipFrame>& JpegPicturesClip() {
  static const std::vector<fakes::ClipFrame> clip = [] {
    auto pictures = fakes::JpegClip(FfmpegMjpeg(), kStreamIntervalMs * 90);
    return pictures.empty() ? fakes::JpegClip(TurboMjpeg(), kStreamIntervalMs * 90) : pictures;
  }();
  return clip;
}

struct ShownRate {
  double shownPerSecond = 0;
  double sentPerSecond = 0;
  std::uint32_t fewestInASecond = 0;
};

ShownRate RunShown(bool jpeg) {
  using Seconds = std::chrono::duration<double>;
  ShownRate result;
  SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
  const auto& clip = jpeg ? JpegPicturesClip() : StampedMpeg4Clip();
  const auto total = Seconds(g_warmUpSeconds + g_shownSeconds + 1);
  fakes::FakeStreamServer server;
  server.SetVideoClip(clip);
  server.SetFrameInterval(std::chrono::milliseconds(kStreamIntervalMs));
  server.SetLoops(static_cast<std::uint32_t>(total.count() * 1000 / kStreamIntervalMs /
                                             static_cast<double>(clip.size())) +
                  1);
  g_lpApp = std::make_unique<CAppData>();
  CAppData& app = *g_lpApp;
  PrepareApp(app, server.Port());
  fakes::PrepareShowEvents(app);
  app.m_byVideoFormat = jpeg ? 0 : 4;
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  decoder.Open(kWidth, kHeight, 1);
  app.m_pDecoderContext = &decoder;

  std::mutex lock;
  std::vector<Clock::time_point> shownAt;
  ReceiverSetup receiver = ReceiverSetupFromApp(StreamKind::kVideo, true);
  receiver.reportLost = [] {};
  const ComposeSetup compose = ComposeSetupFromApp(!jpeg);
  PacingSetup show = PacingSetupFromApp();
  show.avSwitchOption = 3;
  show.imageReady = [&] {
    {
      const std::lock_guard guard(lock);
      shownAt.push_back(Clock::now());
    }
    app.FinishShowImageJobEvent->Set();
  };
  platform::Ticker ticker;
  ticker.Start(1, [&app] { app.MainTimerTickEvent[0]->Set(); });
  platform::Thread receiverThread;
  platform::Thread composeThread;
  platform::Thread showThread;
  receiverThread.Start("receiver",
                       [&](platform::StopToken s) { return RunStreamReceiver(receiver, s); });
  composeThread.Start("compose", [&](platform::StopToken s) { return RunCompose(compose, s); });
  showThread.Start("show", [&](platform::StopToken s) { return RunShowImageData(show, s); });

  const auto begin =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(Seconds(g_warmUpSeconds));
  const auto end = begin + std::chrono::duration_cast<Clock::duration>(Seconds(g_shownSeconds));
  std::this_thread::sleep_until(end);
  app.h_EndofGetJpegImageEvent->Set();
  app.ShowStopEvent->Set();
  for (platform::Thread* thread : {&receiverThread, &composeThread, &showThread}) {
    thread->RequestStop();
    thread->Join(10000);
  }
  ticker.Stop();
  const auto sent = server.FrameSentTimes();
  server.Stop();
  g_lpApp.reset();

  const auto inWindow = [&](Clock::time_point t) { return t >= begin && t < end; };
  const auto seconds = static_cast<std::size_t>(g_shownSeconds);
  std::vector<std::uint32_t> perSecond(std::max<std::size_t>(seconds, 1), 0);
  std::size_t shown = 0;
  for (const auto t : shownAt) {
    if (!inWindow(t))
      continue;
    ++shown;
    const auto second = static_cast<std::size_t>(Seconds(t - begin).count());
    if (second < perSecond.size())
      ++perSecond[second];
  }
  const auto sentInWindow = std::count_if(sent.begin(), sent.end(), inWindow);
  result.shownPerSecond = static_cast<double>(shown) / g_shownSeconds;
  result.sentPerSecond = static_cast<double>(sentInWindow) / g_shownSeconds;
  result.fewestInASecond = *std::min_element(perSecond.begin(), perSecond.end());
  return result;
}

void BM_ShownRate(benchmark::State& state) {
  const bool jpeg = state.range(0) != 0;
  ShownRate last;
  for (auto _ : state) {
    last = RunShown(jpeg);
  }
  state.counters["shown_per_s"] = last.shownPerSecond;
  state.counters["sent_per_s"] = last.sentPerSecond;
  state.counters["fewest_in_1s"] = last.fewestInASecond;
  state.SetLabel(jpeg ? "JPEG" : "MPEG-4");
}
BENCHMARK(BM_ShownRate)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Decode to picture alone, one thread: our decoder through its context wrapper into the
// bottom-up 24-bit picture the window shows (as the compose thread has it written into its ring
// slot), against libavcodec + libswscale to the same bottom-up BGR24 picture, and libavcodec's
// planar decode.
void SetFrameCounter(benchmark::State& state) {
  state.counters["ms_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations() * Clip().size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void BM_DecodeClip_Kavelin(benchmark::State& state) {
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  std::vector<std::uint8_t> picture(std::size_t{kWidth} * kHeight * 3);
  for (auto _ : state) {
    decoder.Open(kWidth, kHeight, 0);
    for (const auto& f : Clip()) {
      decoder.DecodeFrameInto(f.elementary.data(), static_cast<std::uint32_t>(f.elementary.size()),
                              picture);
    }
    benchmark::DoNotOptimize(picture.data());
  }
  SetFrameCounter(state);
  state.SetLabel("BGR24 bottom-up picture");
}
BENCHMARK(BM_DecodeClip_Kavelin)->Unit(benchmark::kMillisecond);

#ifdef MEDIA_BENCH_HAVE_AVCODEC
// libavcodec one thread; with `toBgr` each picture converted by libswscale to BGR24, last row
// first.
void LibavcodecClip(benchmark::State& state, bool toBgr) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* sws = toBgr ? sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUV420P, kWidth, kHeight,
                                           AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr)
                          : nullptr;
  std::vector<std::uint8_t> picture(std::size_t{kWidth} * kHeight * 3);
  constexpr int kRowBytes = kWidth * 3;
  std::uint8_t* const lastRow[4] = {picture.data() + (kHeight - 1) * kRowBytes, nullptr, nullptr,
                                    nullptr};
  const int upward[4] = {-kRowBytes, 0, 0, 0};
  for (auto _ : state) {
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->thread_count = 1;
    avcodec_open2(context, codec, nullptr);
    for (const auto& f : Clip()) {
      av_new_packet(packet, static_cast<int>(f.elementary.size()));
      std::memcpy(packet->data, f.elementary.data(), f.elementary.size());
      avcodec_send_packet(context, packet);
      av_packet_unref(packet);
      while (avcodec_receive_frame(context, frame) == 0) {
        if (sws != nullptr) {
          sws_scale(sws, frame->data, frame->linesize, 0, kHeight, lastRow, upward);
        }
      }
    }
    avcodec_free_context(&context);
    benchmark::DoNotOptimize(picture.data());
  }
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&packet);
  SetFrameCounter(state);
  state.SetLabel(toBgr ? "libavcodec + libswscale, BGR24 bottom-up" : "libavcodec planar");
}

void BM_DecodeClip_LibavcodecSwscale(benchmark::State& state) {
  LibavcodecClip(state, true);
}
BENCHMARK(BM_DecodeClip_LibavcodecSwscale)->Unit(benchmark::kMillisecond);

void BM_DecodeClip_Libavcodec(benchmark::State& state) {
  LibavcodecClip(state, false);
}
BENCHMARK(BM_DecodeClip_Libavcodec)->Unit(benchmark::kMillisecond);
#endif

// Our own flag: --seconds=N, the shown rate's measuring time per road (10 s). A
// --benchmark_min_time below one second is the smoke run: half a second after a fifth of warm-up.
void TakeOwnFlags(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--seconds=", 0) == 0) {
      g_shownSeconds = std::max(1.0, std::atof(arg.c_str() + 10));
      continue;
    }
    if (arg.rfind("--benchmark_min_time=", 0) == 0 && std::atof(arg.c_str() + 21) < 1.0) {
      g_shownSeconds = 0.5;
      g_warmUpSeconds = 0.2;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
  TakeOwnFlags(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
