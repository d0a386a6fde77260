// Decode to picture on the D1 P-VOP clip, one thread: our decoder through its context wrapper into
// the 24-bit bottom-up picture the window shows (mode 1, into a ring slot as the compose thread)
// against libavcodec + libswscale to the same BGR24 picture; our planar decode (mode 3) against
// libavcodec's. Ours with this machine's forms, the generic forms on each forced path, and the
// SIMD forms. A table of milliseconds per frame and ratios is printed at the end. Also the
// decoding time of one intra VOP against libavcodec (bit-exact, simple IDCT) on the same frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "clip_decode.h"
#include "codec/mp4dec/mp4dec.h"

namespace {

std::vector<std::uint8_t> FirstFrame(const std::string& name) {
  std::ifstream file(std::string(FIXTURE_DIR) + "/" + name, std::ios::binary);
  std::vector<std::uint8_t> s((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
  // Up to the first start code after the first VOP start code.
  bool inVop = false;
  for (std::size_t i = 0; i + 3 < s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      if (inVop) {
        s.resize(i);
        break;
      }
      inVop = s[i + 3] == 0xB6;
      i += 2;
    }
  }
  return s;
}

struct Fixture {
  const char* name;
  int width;
  int height;
};
constexpr Fixture kFixtures[] = {{"i_176x144_q2.m4v", 176, 144},
                                 {"i_352x288_q8.m4v", 352, 288},
                                 {"i_720x576_q20.m4v", 720, 576}};

void BM_Kavelin(benchmark::State& state) {
  const Fixture& f = kFixtures[state.range(0)];
  const int mode = static_cast<int>(state.range(1));
  const std::vector<std::uint8_t> frame = FirstFrame(f.name);
  Mp4DecInstance inst;
  Mp4DecBufferSizes sizes{};
  Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, f.width, f.height, 0);
  std::vector<std::uint8_t> frame0(sizes.frameBuffer0), frame1(sizes.frameBuffer1),
      planes(sizes.outputPlanes);
  std::vector<std::max_align_t> context(sizes.context / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> tables(sizes.tables / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> reader(sizes.bitReader / sizeof(std::max_align_t) + 1);
  inst.outputMode = mode;
  inst.frameBuffer0 = frame0.data();
  inst.frameBuffer1 = frame1.data();
  inst.outputPlaneBuffer = planes.data();
  inst.context = context.data();
  inst.tables = tables.data();
  inst.bitReader = reader.data();
  Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, 0);
  std::vector<std::uint8_t> out(Mp4DecOutputBytes(mode, f.width, f.height, f.width));
  Mp4DecFrameIo io;
  io.output = out.data();
  io.input = frame.data();
  io.inputLength = static_cast<std::int32_t>(frame.size());
  io.outputSwitch = 1;
  io.outputStride = f.width;
  for (auto _ : state) {
    if (Mp4DecControl(1, kMp4DecCmdDecode, &io, &inst, 0, 0, 0) != kMp4DecOk) {
      state.SkipWithError("decode refused");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(std::string(f.name) + (mode == 1 ? " BGR" : " planar"));
}

void BM_Libavcodec(benchmark::State& state) {
  const Fixture& f = kFixtures[state.range(0)];
  const std::vector<std::uint8_t> frame = FirstFrame(f.name);
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->thread_count = 1;
  ctx->flags |= AV_CODEC_FLAG_BITEXACT;
  ctx->idct_algo = FF_IDCT_SIMPLE;
  if (avcodec_open2(ctx, codec, nullptr) < 0) {
    state.SkipWithError("libavcodec open failed");
    return;
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* picture = av_frame_alloc();
  std::vector<std::uint8_t> data(frame.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  std::copy(frame.begin(), frame.end(), data.begin());
  for (auto _ : state) {
    packet->data = data.data();
    packet->size = static_cast<int>(frame.size());
    if (avcodec_send_packet(ctx, packet) < 0 || avcodec_receive_frame(ctx, picture) < 0) {
      state.SkipWithError("libavcodec decode failed");
      break;
    }
    benchmark::DoNotOptimize(picture->data[0]);
    av_frame_unref(picture);
  }
  av_frame_free(&picture);
  av_packet_free(&packet);
  avcodec_free_context(&ctx);
  state.SetLabel(std::string(f.name) + " yuv420p");
}

// ---- The D1 P-VOP clip -----------------------------------------------------------------------

using namespace clip_decode;

// Milliseconds per frame of each clip run, for the table printed after the run.
std::map<std::string, double>& ClipMsPerFrame() {
  static std::map<std::string, double> ms;
  return ms;
}

void SetClipCounters(benchmark::State& state, std::size_t frames) {
  state.counters["ms_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations() * frames),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// Mode 3: the planar decode through Mp4DecControl.
void BM_KavelinPlanarClip(benchmark::State& state) {
  ScopedForms forms(state.range(0));
  if (!forms.Ok()) {
    state.SkipWithError("path not supported here");
    return;
  }
  const auto frames = ClipFrames();
  PlanarDecoder decoder;
  for (auto _ : state) {
    for (const auto& frame : frames) {
      if (!decoder.Decode(frame)) {
        state.SkipWithError("decode refused");
        break;
      }
      benchmark::DoNotOptimize(decoder.Output());
    }
  }
  SetClipCounters(state, frames.size());
  state.SetLabel(std::string("planar, ") + FormLabel(state.range(0)) + " (primitive index " +
                 std::to_string(PrimCpuIndex.load()) + ")");
}

// Mode 1 as the program runs it: each frame decoded through the decoder context wrapper into
// the deinterlaced, bottom-up 24-bit picture the window shows, in the picture's ring slot as
// the compose thread has it done.
void BM_KavelinPictureClip(benchmark::State& state) {
  ScopedForms forms(state.range(0));
  if (!forms.Ok()) {
    state.SkipWithError("path not supported here");
    return;
  }
  const auto frames = ClipFrames();
  PictureDecoder decoder;
  if (!decoder.IsOpen()) {
    state.SkipWithError("decoder open failed");
    return;
  }
  for (auto _ : state) {
    for (const auto& frame : frames) {
      if (!decoder.Decode(frame)) {
        state.SkipWithError("decode refused");
        break;
      }
      benchmark::DoNotOptimize(decoder.Output());
    }
  }
  SetClipCounters(state, frames.size());
  state.SetLabel(std::string("BGR24 picture, ") + FormLabel(state.range(0)) + " (primitive index " +
                 std::to_string(PrimCpuIndex.load()) + ")");
}

// libavcodec's MPEG-4 decoder, one thread; with `toBgr`, each picture converted by libswscale
// into the same bottom-up BGR24 picture (its last row first) in a slot of the same size.
void LibavcodecClip(benchmark::State& state, bool toBgr) {
  const auto frames = ClipFrames();
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->thread_count = 1;
  ctx->flags |= AV_CODEC_FLAG_BITEXACT;
  ctx->idct_algo = FF_IDCT_SIMPLE;
  if (avcodec_open2(ctx, codec, nullptr) < 0) {
    state.SkipWithError("libavcodec open failed");
    avcodec_free_context(&ctx);
    return;
  }
  SwsContext* sws =
      toBgr ? sws_getContext(kClipWidth, kClipHeight, AV_PIX_FMT_YUV420P, kClipWidth, kClipHeight,
                             AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr)
            : nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* picture = av_frame_alloc();
  std::vector<std::vector<std::uint8_t>> padded;
  for (const auto& frame : frames) {
    std::vector<std::uint8_t> data(frame.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::copy(frame.begin(), frame.end(), data.begin());
    padded.push_back(std::move(data));
  }
  std::vector<std::uint8_t> slot(kMpeg4PictureBytes);
  constexpr int kRowBytes = kClipWidth * 3;
  std::uint8_t* const lastRow[4] = {slot.data() + (kClipHeight - 1) * kRowBytes, nullptr, nullptr,
                                    nullptr};
  const int upward[4] = {-kRowBytes, 0, 0, 0};
  for (auto _ : state) {
    for (std::size_t k = 0; k < frames.size(); ++k) {
      packet->data = padded[k].data();
      packet->size = static_cast<int>(frames[k].size());
      if (avcodec_send_packet(ctx, packet) < 0 || avcodec_receive_frame(ctx, picture) < 0) {
        state.SkipWithError("libavcodec decode failed");
        break;
      }
      if (sws != nullptr) {
        sws_scale(sws, picture->data, picture->linesize, 0, kClipHeight, lastRow, upward);
        benchmark::DoNotOptimize(slot.data());
      }
      benchmark::DoNotOptimize(picture->data[0]);
      av_frame_unref(picture);
    }
  }
  sws_freeContext(sws);
  av_frame_free(&picture);
  av_packet_free(&packet);
  avcodec_free_context(&ctx);
  SetClipCounters(state, frames.size());
  state.SetLabel(toBgr ? "libavcodec + libswscale to BGR24 bottom-up, one thread"
                       : "libavcodec planar, one thread");
}

void BM_LibavcodecPlanarClip(benchmark::State& state) {
  LibavcodecClip(state, false);
}

void BM_LibavcodecSwscalePictureClip(benchmark::State& state) {
  LibavcodecClip(state, true);
}

// Keeps the milliseconds per frame of the clip runs for the closing table (the counter holds
// seconds).
class ClipReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto ms = run.counters.find("ms_per_frame");
      if (ms == run.counters.end() || run.error_occurred) {
        continue;
      }
      // One run, or the median of repetitions (--benchmark_repetitions) when there are some.
      const std::string name =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      if (run.run_type == Run::RT_Iteration) {
        ClipMsPerFrame().try_emplace(name, ms->second.value * 1000);
      } else if (run.aggregate_name == "median") {
        ClipMsPerFrame()[name] = ms->second.value * 1000;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// Ours against the peer of the same output, in milliseconds per frame.
void PrintClipTable() {
  const auto& ms = ClipMsPerFrame();
  const auto print = [&](const char* title, const std::string& ours, const std::string& peer) {
    const auto p = ms.find(peer);
    if (p == ms.end() || p->second <= 0) {
      return;
    }
    std::printf("\n%s: %s %.3f ms a frame\n", title, peer.c_str(), p->second);
    for (std::int64_t choice = kMachine; choice <= kLastChoice; ++choice) {
      const auto it = ms.find(ours + "/" + std::to_string(choice));
      if (it != ms.end()) {
        std::printf("  %-30s %.3f ms a frame, peer time / ours = %.2f\n", FormLabel(choice),
                    it->second, p->second / it->second);
      }
    }
  };
  print("D1 P-VOP clip to the window's BGR24 picture", "BM_KavelinPictureClip",
        "BM_LibavcodecSwscalePictureClip");
  print("D1 P-VOP clip, planar", "BM_KavelinPlanarClip", "BM_LibavcodecPlanarClip");
}

BENCHMARK(BM_KavelinPictureClip)->DenseRange(kMachine, kLastChoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibavcodecSwscalePictureClip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KavelinPlanarClip)->DenseRange(kMachine, kLastChoice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibavcodecPlanarClip)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Kavelin)->ArgsProduct({{0, 1, 2}, {3, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libavcodec)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  ClipReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintClipTable();
  return 0;
}
