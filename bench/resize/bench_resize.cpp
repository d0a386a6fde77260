// Nearest-neighbour scaling of 8-bit three-channel pictures from the stream sizes to the
// window sizes, in one run with two peers: libswscale (BGR24, point sampling) and a plain
// copy of the destination size, the memory-bandwidth floor. Prints the ratios at the end.
#include <benchmark/benchmark.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../common/run_times.h"
#include "prim/resize/prim_resize.h"

namespace {

struct Pair {
  PrimSize src;
  PrimSize dst;
};

const Pair kPairs[] = {
    {{352, 240}, {1280, 1024}}, {{352, 240}, {1920, 1080}}, {{352, 240}, {352, 288}},
    {{704, 480}, {1280, 1024}}, {{704, 480}, {1920, 1080}}, {{704, 480}, {352, 288}},
    {{704, 576}, {1280, 1024}}, {{704, 576}, {1920, 1080}}, {{704, 576}, {352, 288}},
    {{720, 576}, {1280, 1024}}, {{720, 576}, {1920, 1080}}, {{720, 576}, {352, 288}},
};

std::string PairName(const Pair& p) {
  return std::to_string(p.src.width) + "x" + std::to_string(p.src.height) + "->" +
         std::to_string(p.dst.width) + "x" + std::to_string(p.dst.height);
}

std::vector<std::uint8_t> Noise(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  std::mt19937 rng(42);
  for (auto& b : v) {
    b = static_cast<std::uint8_t>(rng());
  }
  return v;
}

std::size_t Bytes(PrimSize s) {
  return 3 * static_cast<std::size_t>(s.width) * s.height;
}

void SetCounters(benchmark::State& state, const Pair& p) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(p.dst)));
  state.counters["ns/px"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * p.dst.width * p.dst.height,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Ours(benchmark::State& state, Pair p) {
  const auto src = Noise(Bytes(p.src));
  std::vector<std::uint8_t> dst(Bytes(p.dst));
  const double xf = static_cast<double>(p.dst.width) / p.src.width;
  const double yf = static_cast<double>(p.dst.height) / p.src.height;
  for (auto _ : state) {
    const PrimStatus s =
        primResize_8u_C3R(src.data(), p.src, 3 * p.src.width, {0, 0, p.src.width, p.src.height},
                          dst.data(), 3 * p.dst.width, p.dst, xf, yf, 1);
    benchmark::DoNotOptimize(s);
    benchmark::ClobberMemory();
  }
  SetCounters(state, p);
}

void Swscale(benchmark::State& state, Pair p) {
  const auto src = Noise(Bytes(p.src));
  std::vector<std::uint8_t> dst(Bytes(p.dst));
  SwsContext* raw =
      sws_getContext(p.src.width, p.src.height, AV_PIX_FMT_BGR24, p.dst.width, p.dst.height,
                     AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  if (raw == nullptr) {
    state.SkipWithError("sws_getContext failed");
    return;
  }
  const std::unique_ptr<SwsContext, void (*)(SwsContext*)> ctx(raw, sws_freeContext);
  const std::uint8_t* srcPlanes[1] = {src.data()};
  const int srcStrides[1] = {3 * p.src.width};
  std::uint8_t* dstPlanes[1] = {dst.data()};
  const int dstStrides[1] = {3 * p.dst.width};
  for (auto _ : state) {
    const int rows =
        sws_scale(ctx.get(), srcPlanes, srcStrides, 0, p.src.height, dstPlanes, dstStrides);
    benchmark::DoNotOptimize(rows);
    benchmark::ClobberMemory();
  }
  SetCounters(state, p);
}

void Copy(benchmark::State& state, Pair p) {
  const auto src = Noise(Bytes(p.dst));
  std::vector<std::uint8_t> dst(Bytes(p.dst));
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), dst.size());
    benchmark::ClobberMemory();
  }
  SetCounters(state, p);
}

// Prints the ratio table of the run's times after the console output.
class RatioReporter : public bench::RunTimesReporter {
 public:
  RatioReporter() : RunTimesReporter(Clock::kReal) {}

  void PrintRatios() const {
    std::printf("\n%-24s %12s %12s %12s %14s %14s\n", "picture", "ours", "swscale", "copy",
                "swscale/ours", "ours/copy");
    for (const Pair& p : kPairs) {
      const std::string name = PairName(p);
      const double ours = Find("resize_nearest/" + name);
      const double sws = Find("swscale_point/" + name);
      const double copy = Find("copy/" + name);
      if (ours <= 0 || sws <= 0 || copy <= 0) {
        continue;
      }
      std::printf("%-24s %12.1f %12.1f %12.1f %14.2f %14.2f\n", name.c_str(), ours, sws, copy,
                  sws / ours, ours / copy);
    }
    std::printf(
        "(times per picture in the benchmark's unit; goal: swscale/ours > 1, "
        "ours/copy < 2)\n");
  }

 private:
  double Find(const std::string& name) const {
    const auto it = Times().find(name);
    return it == Times().end() ? 0.0 : it->second;
  }
};

}  // namespace

int main(int argc, char** argv) {
  for (const Pair& p : kPairs) {
    const std::string name = PairName(p);
    benchmark::RegisterBenchmark(("resize_nearest/" + name).c_str(), Ours, p)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("swscale_point/" + name).c_str(), Swscale, p)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("copy/" + name).c_str(), Copy, p)->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
