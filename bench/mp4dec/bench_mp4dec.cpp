// Decoding time of one intra VOP: our decoder (planar output, and the program's BGR output)
// against libavcodec's MPEG-4 decoder (single thread, bit-exact, simple IDCT) on the same frame;
// and of the whole D1 P-VOP clip (mode 3, generic and forced SIMD primitive forms) against
// libavcodec on the same stream, with frames per second and the ratio printed at the end.
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
}

#include "codec/mp4dec/mp4dec.h"
#include "prim/prim_dispatch.h"

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

constexpr const char* kClip = "p_704x576_pan40.m4v";
constexpr int kClipWidth = 704;
constexpr int kClipHeight = 576;

std::vector<std::vector<std::uint8_t>> ClipFrames() {
  std::ifstream file(std::string(FIXTURE_DIR) + "/" + kClip, std::ios::binary);
  const std::vector<std::uint8_t> s((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
  // Each frame: up to the start code after its VOP start code (headers go with the first).
  std::vector<std::vector<std::uint8_t>> frames;
  std::size_t start = 0;
  bool inVop = false;
  for (std::size_t i = 0; i + 3 < s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      if (inVop) {
        frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start),
                            s.begin() + static_cast<std::ptrdiff_t>(i));
        start = i;
      }
      inVop = s[i + 3] == 0xB6;
      i += 2;
    }
  }
  if (start < s.size()) {
    frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start), s.end());
  }
  return frames;
}

// Frames per second of each clip run, for the ratio printed after the run.
std::map<std::string, double>& ClipFps() {
  static std::map<std::string, double> fps;
  return fps;
}

// A processor that detection maps to the SSE3 forms (family 15, SSE2, SSE3, 64-bit), so the
// vector forms are measured whatever the vendor of this machine.
class Sse3Cpu final : public PrimCpuSource {
 public:
  bool CanToggleIdFlag() const override { return true; }
  PrimCpuidRegs Cpuid(std::uint32_t leaf) const override {
    PrimCpuidRegs regs;
    if (leaf == 0) {
      regs = {2, 0x756E6547U, 0x6C65746EU, 0x49656E69U};
    } else if (leaf == 1) {
      regs = {(15U << 8) | 0x23U, 1U << 16, 1U, (1U << 25) | (1U << 26)};
    } else if (leaf == 0x80000000U) {
      regs.eax = 0x80000008U;
    } else if (leaf == 0x80000001U) {
      regs.edx = 1U << 29;
    }
    return regs;
  }
};

void BM_KavelinClip(benchmark::State& state) {
  const bool simd = state.range(0) != 0;
  static const Sse3Cpu sse3;
  const PrimCpuSource* saved = PrimSetCpuSource(simd ? &sse3 : nullptr);
  const auto frames = ClipFrames();
  Mp4DecInstance inst;
  Mp4DecBufferSizes sizes{};
  Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, kClipWidth, kClipHeight, 0);
  std::vector<std::uint8_t> frame0(sizes.frameBuffer0), frame1(sizes.frameBuffer1),
      planes(sizes.outputPlanes);
  std::vector<std::max_align_t> context(sizes.context / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> tables(sizes.tables / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> reader(sizes.bitReader / sizeof(std::max_align_t) + 1);
  inst.outputMode = 3;
  inst.frameBuffer0 = frame0.data();
  inst.frameBuffer1 = frame1.data();
  inst.outputPlaneBuffer = planes.data();
  inst.context = context.data();
  inst.tables = tables.data();
  inst.bitReader = reader.data();
  Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, 0);
  std::vector<std::uint8_t> out(Mp4DecOutputBytes(3, kClipWidth, kClipHeight, kClipWidth));
  Mp4DecFrameIo io;
  io.output = out.data();
  io.outputSwitch = 1;
  io.outputStride = kClipWidth;
  const std::int32_t index = PrimCpuIndex.load();
  for (auto _ : state) {
    for (const auto& frame : frames) {
      io.input = frame.data();
      io.inputLength = static_cast<std::int32_t>(frame.size());
      if (Mp4DecControl(1, kMp4DecCmdDecode, &io, &inst, 0, 0, 0) != kMp4DecOk) {
        state.SkipWithError("decode refused");
        break;
      }
      benchmark::DoNotOptimize(out.data());
    }
  }
  PrimSetCpuSource(saved);
  const double n = static_cast<double>(state.iterations() * frames.size());
  state.counters["fps"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  const std::string label = simd ? "kavelin SIMD forms" : "kavelin generic forms";
  state.SetLabel(label + " (primitive index " + std::to_string(index) + "), " +
                 std::to_string(frames.size()) + " frames");
}

void BM_LibavcodecClip(benchmark::State& state) {
  const auto frames = ClipFrames();
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
  std::vector<std::vector<std::uint8_t>> padded;
  for (const auto& frame : frames) {
    std::vector<std::uint8_t> data(frame.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::copy(frame.begin(), frame.end(), data.begin());
    padded.push_back(std::move(data));
  }
  for (auto _ : state) {
    for (std::size_t k = 0; k < frames.size(); ++k) {
      packet->data = padded[k].data();
      packet->size = static_cast<int>(frames[k].size());
      if (avcodec_send_packet(ctx, packet) < 0 || avcodec_receive_frame(ctx, picture) < 0) {
        state.SkipWithError("libavcodec decode failed");
        break;
      }
      benchmark::DoNotOptimize(picture->data[0]);
      av_frame_unref(picture);
    }
  }
  av_frame_free(&picture);
  av_packet_free(&packet);
  avcodec_free_context(&ctx);
  const double n = static_cast<double>(state.iterations() * frames.size());
  state.counters["fps"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  state.SetLabel("libavcodec mpeg4, one thread, " + std::to_string(frames.size()) + " frames");
}

// Keeps the frames per second of the clip runs for the closing ratio.
class ClipReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto fps = run.counters.find("fps");
      if (fps == run.counters.end()) {
        continue;
      }
      // One run, or the median of repetitions (--benchmark_repetitions) when there are some.
      const std::string name =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      if (run.run_type == Run::RT_Iteration) {
        ClipFps().try_emplace(name, fps->second.value);
      } else if (run.aggregate_name == "median") {
        ClipFps()[name] = fps->second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

BENCHMARK(BM_KavelinClip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibavcodecClip)->Unit(benchmark::kMillisecond);

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
  const auto& fps = ClipFps();
  const auto peer = fps.find("BM_LibavcodecClip");
  if (peer != fps.end() && peer->second > 0) {
    std::printf("\nD1 P-VOP clip, frames per second (ratio to libavcodec):\n");
    for (const auto& [name, value] : fps) {
      std::printf("  %-24s %8.1f fps  %5.2fx\n", name.c_str(), value, value / peer->second);
    }
  }
  return 0;
}
