// Scaling of 8-bit three-channel pictures from the stream sizes to the window sizes and back,
// every interpolation (supersampling on the shrinks), each processor form (generic, SSE, SSE2,
// SSE3) selected through the dispatch, in one run with two peers: libswscale (BGR24, the matching
// flag) and a plain copy of the destination size, the memory-bandwidth floor. Prints the ratios at
// the end.
#include <benchmark/benchmark.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
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
    {{352, 240}, {1920, 1080}}, {{704, 576}, {1280, 1024}}, {{704, 576}, {1920, 1080}},
    {{704, 480}, {352, 240}},   {{720, 576}, {352, 288}},
};

struct Kind {
  const char* name;
  std::int32_t interpolation;
  int swsFlag;
  bool shrinkOnly;
};

const Kind kKinds[] = {
    {"nearest", 1, SWS_POINT, false}, {"linear", 2, SWS_BILINEAR, false},
    {"cubic", 4, SWS_BICUBIC, false}, {"sixtap", 16, SWS_LANCZOS, false},
    {"super", 8, SWS_AREA, true},
};

struct Form {
  const char* name;
  std::int32_t cpuClass;  // selects the form through primStaticInitCpu
};

// The generic form first: the ratios are taken against it.
const Form kForms[] = {
    {"generic", PrimCpuUnknown},
    {"sse", PrimCpuFamily6Sse},
    {"sse2", PrimCpuFamily6Sse2},
    {"sse3", PrimCpuFamily15Sse3},
};

// Selects a form through the dispatch for one benchmark and restores the index after it.
class ScopedForm {
 public:
  explicit ScopedForm(const Form& form) : m_saved(PrimCpuIndex.load()) {
    primStaticInitCpu(form.cpuClass);
  }
  ~ScopedForm() { PrimCpuIndex.store(m_saved); }
  ScopedForm(const ScopedForm&) = delete;
  ScopedForm& operator=(const ScopedForm&) = delete;

 private:
  std::int32_t m_saved;
};

bool Shrinks(const Pair& p) {
  return p.dst.width <= p.src.width && p.dst.height <= p.src.height;
}

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
}

void Ours(benchmark::State& state, Pair p, const Form& form, std::int32_t interpolation) {
  const ScopedForm scoped(form);
  const auto src = Noise(Bytes(p.src));
  std::vector<std::uint8_t> dst(Bytes(p.dst));
  const double xf = static_cast<double>(p.dst.width) / p.src.width;
  const double yf = static_cast<double>(p.dst.height) / p.src.height;
  for (auto _ : state) {
    const PrimStatus s =
        primResize_8u_C3R(src.data(), p.src, 3 * p.src.width, {0, 0, p.src.width, p.src.height},
                          dst.data(), 3 * p.dst.width, p.dst, xf, yf, interpolation);
    if (s != StsNoError) {
      state.SkipWithError("resize failed");
      return;
    }
    benchmark::ClobberMemory();
  }
  SetCounters(state, p);
}

void Swscale(benchmark::State& state, Pair p, int flag) {
  const auto src = Noise(Bytes(p.src));
  std::vector<std::uint8_t> dst(Bytes(p.dst));
  SwsContext* raw = sws_getContext(p.src.width, p.src.height, AV_PIX_FMT_BGR24, p.dst.width,
                                   p.dst.height, AV_PIX_FMT_BGR24, flag, nullptr, nullptr, nullptr);
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

std::string OursName(const Kind& k, const Form& f, const Pair& p) {
  return std::string(k.name) + "/" + f.name + "/" + PairName(p);
}

std::string PeerName(const Kind& k, const Pair& p) {
  return std::string(k.name) + "/swscale/" + PairName(p);
}

// Prints the ratio table of the run's times after the console output: for each form its time
// over the copy's, the peer's time over the form's and the generic form's time over the form's;
// for the SSE3 form also its time over the SSE2 form's (the same code).
class RatioReporter : public bench::RunTimesReporter {
 public:
  RatioReporter() : RunTimesReporter(Clock::kReal) {}

  void PrintRatios() const {
    std::printf("\n%-8s %-22s %-8s %10s %10s %10s %12s %12s\n", "kind", "picture", "form", "time",
                "swscale", "copy", "form/copy", "peer/form");
    for (const Kind& k : kKinds) {
      for (const Pair& p : kPairs) {
        if (k.shrinkOnly && !Shrinks(p)) {
          continue;
        }
        const double peer = Find(PeerName(k, p));
        const double copy = Find("copy/" + PairName(p));
        const double generic = Find(OursName(k, kForms[0], p));
        for (const Form& f : kForms) {
          const double ours = Find(OursName(k, f, p));
          if (ours <= 0 || peer <= 0 || copy <= 0) {
            continue;
          }
          std::printf("%-8s %-22s %-8s %10.1f %10.1f %10.1f %12.2f %12.2f", k.name,
                      PairName(p).c_str(), f.name, ours, peer, copy, ours / copy, peer / ours);
          if (&f != &kForms[0] && generic > 0) {
            std::printf("   generic/form %.2f", generic / ours);
          }
          const double sse2 = Find(OursName(k, kForms[2], p));
          if (&f == &kForms[3] && sse2 > 0) {
            std::printf("   sse3/sse2 %.3f", ours / sse2);
          }
          std::printf("\n");
        }
      }
    }
    std::printf("(times per picture in microseconds)\n");
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
    benchmark::RegisterBenchmark(("copy/" + PairName(p)).c_str(), Copy, p)
        ->Unit(benchmark::kMicrosecond);
    for (const Kind& k : kKinds) {
      if (k.shrinkOnly && !Shrinks(p)) {
        continue;
      }
      benchmark::RegisterBenchmark(PeerName(k, p).c_str(), Swscale, p, k.swsFlag)
          ->Unit(benchmark::kMicrosecond);
      for (const Form& f : kForms) {
        benchmark::RegisterBenchmark(OursName(k, f, p).c_str(), Ours, p, f, k.interpolation)
            ->Unit(benchmark::kMicrosecond);
      }
    }
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
