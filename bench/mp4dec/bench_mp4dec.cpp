// Decoding time of one intra VOP: our decoder (planar output, and the program's BGR output)
// against libavcodec's MPEG-4 decoder (single thread, bit-exact, simple IDCT) on the same frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

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

BENCHMARK(BM_Kavelin)->ArgsProduct({{0, 1, 2}, {3, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libavcodec)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
