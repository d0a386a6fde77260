// Benchmarks of the decoder's primitives: YUV 4:2:0 to BGR with every form (the generic one on
// each of its paths) against libswscale (to BGR24) and libyuv (I420 to RGB24, which is B, G, R
// in memory) side by side, and the inverse DCT and the H.263 inverse quantisation forms per
// block. After the run, each peer's time is printed as a ratio of each form's.
#include <benchmark/benchmark.h>
#include <libyuv.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../common/run_times.h"
#include "prim/generic_path.h"
#include "prim/prim.h"
#include "prim/simd_path.h"

namespace {

struct FormInfo {
  const char* name;
  std::int32_t cpuClass;  // selects the form through primStaticInitCpu
  std::int32_t path;      // the path forced: a PrimGenericPath for the generic forms, a
                          // PrimSimdPath for the SSE, SSE2 and SSE3 forms
};
// The generic form on each of its paths (the widest is what this machine's dispatch runs: the
// dispatch rule selects the generic forms on a processor of another vendor), then the SIMD
// forms on each of theirs (their 128-bit code, and AVX2, which an Intel family-6 processor with
// AVX2 runs).
constexpr auto kSimdForm = static_cast<std::int32_t>(PrimSimdPath::kForm);
constexpr auto kSimdAvx2 = static_cast<std::int32_t>(PrimSimdPath::kAvx2);
constexpr std::array<FormInfo, 9> kForms{
    {{"generic/scalar", PrimCpuUnknown, static_cast<std::int32_t>(PrimGenericPath::kScalar)},
     {"generic/sse2", PrimCpuUnknown, static_cast<std::int32_t>(PrimGenericPath::kSse2)},
     {"generic/avx2", PrimCpuUnknown, static_cast<std::int32_t>(PrimGenericPath::kAvx2)},
     {"sse/128", PrimCpuFamily6Sse, kSimdForm},
     {"sse/avx2", PrimCpuFamily6Sse, kSimdAvx2},
     {"sse2/128", PrimCpuFamily6Sse2, kSimdForm},
     {"sse2/avx2", PrimCpuFamily6Sse2, kSimdAvx2},
     {"sse3/128", PrimCpuFamily15Sse3, kSimdForm},
     {"sse3/avx2", PrimCpuFamily15Sse3, kSimdAvx2}}};

// Selects a form (and path) for one benchmark; false when this processor lacks the path.
class ScopedForm {
 public:
  explicit ScopedForm(const FormInfo& form)
      : m_savedPath(PrimGenericPathInUse()), m_savedSimdPath(PrimSimdPathInUse()) {
    primStaticInitCpu(form.cpuClass);
    m_ok = form.cpuClass == PrimCpuUnknown
               ? PrimForceGenericPath(static_cast<PrimGenericPath>(form.path))
               : PrimForceSimdPath(static_cast<PrimSimdPath>(form.path));
  }
  ~ScopedForm() {
    PrimForceGenericPath(m_savedPath);
    PrimForceSimdPath(m_savedSimdPath);
  }
  ScopedForm(const ScopedForm&) = delete;
  ScopedForm& operator=(const ScopedForm&) = delete;
  bool Ok() const { return m_ok; }

 private:
  PrimGenericPath m_savedPath;
  PrimSimdPath m_savedSimdPath;
  bool m_ok = true;
};

struct Picture {
  int width;
  int height;
  std::vector<std::uint8_t> y, u, v, bgr;
  Picture(int w, int h) : width(w), height(h) {
    y.resize(static_cast<std::size_t>(w * h));
    u.resize(static_cast<std::size_t>(w / 2 * (h / 2)));
    v.resize(u.size());
    bgr.resize(static_cast<std::size_t>(w * h * 3));
    std::mt19937 rng(static_cast<unsigned>(w));
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto* plane : {&y, &u, &v}) {
      for (auto& b : *plane) {
        b = static_cast<std::uint8_t>(byte(rng));
      }
    }
  }
};

void BM_YuvToBgrPrim(benchmark::State& state) {
  const FormInfo& form = kForms[static_cast<std::size_t>(state.range(0))];
  Picture p(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  ScopedForm scoped(form);
  if (!scoped.Ok()) {
    state.SkipWithError("path not supported on this processor");
    return;
  }
  const std::uint8_t* planes[3] = {p.y.data(), p.u.data(), p.v.data()};
  const std::int32_t steps[3] = {p.width, p.width / 2, p.width / 2};
  for (auto _ : state) {
    const PrimStatus status =
        primYUV420ToBGR_8u_P3C3R(planes, steps, p.bgr.data(), p.width * 3, p.width, p.height);
    benchmark::DoNotOptimize(status);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * p.width * p.height);
  state.SetLabel(form.name);
}

void BM_YuvToBgrSwscale(benchmark::State& state) {
  Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  SwsContext* context = sws_getContext(p.width, p.height, AV_PIX_FMT_YUV420P, p.width, p.height,
                                       AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  if (context == nullptr) {
    state.SkipWithError("sws_getContext failed");
    return;
  }
  const std::uint8_t* const planes[4] = {p.y.data(), p.u.data(), p.v.data(), nullptr};
  const int steps[4] = {p.width, p.width / 2, p.width / 2, 0};
  std::uint8_t* const out[4] = {p.bgr.data(), nullptr, nullptr, nullptr};
  const int outSteps[4] = {p.width * 3, 0, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(sws_scale(context, planes, steps, 0, p.height, out, outSteps));
    benchmark::ClobberMemory();
  }
  sws_freeContext(context);
  state.SetItemsProcessed(state.iterations() * p.width * p.height);
}

void BM_YuvToBgrLibyuv(benchmark::State& state) {
  Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(libyuv::I420ToRGB24(p.y.data(), p.width, p.u.data(), p.width / 2,
                                                 p.v.data(), p.width / 2, p.bgr.data(), p.width * 3,
                                                 p.width, p.height));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * p.width * p.height);
}

using Block = std::array<std::int16_t, 64>;

std::vector<Block> CoefficientBlocks() {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> value(-300, 300);
  std::uniform_int_distribution<int> pick(0, 99);
  std::vector<Block> blocks(256);
  for (auto& b : blocks) {
    b.fill(0);
    for (auto& c : b) {
      if (pick(rng) < 20) {
        c = static_cast<std::int16_t>(value(rng));
      }
    }
  }
  return blocks;
}

void BM_IdctPrim(benchmark::State& state) {
  const FormInfo& form = kForms[static_cast<std::size_t>(state.range(0))];
  ScopedForm scoped(form);
  if (!scoped.Ok()) {
    state.SkipWithError("path not supported on this processor");
    return;
  }
  const std::vector<Block> source = CoefficientBlocks();
  std::vector<Block> work = source;
  for (auto _ : state) {
    std::memcpy(work.data(), source.data(), source.size() * sizeof(Block));
    for (auto& b : work) {
      benchmark::DoNotOptimize(primDCT8x8Inv_16s_C1I(b.data()));
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
  state.SetLabel(form.name);
}

// The H.263 inverse quantisation of the same blocks through the dispatched entry.
void BM_QuantPrim(benchmark::State& state) {
  const FormInfo& form = kForms[static_cast<std::size_t>(state.range(0))];
  ScopedForm scoped(form);
  if (!scoped.Ok()) {
    state.SkipWithError("path not supported on this processor");
    return;
  }
  const std::vector<Block> source = CoefficientBlocks();
  std::vector<Block> work = source;
  for (auto _ : state) {
    std::memcpy(work.data(), source.data(), source.size() * sizeof(Block));
    for (auto& b : work) {
      benchmark::DoNotOptimize(primQuantInvInter_Compact_H263_16s_I(b.data(), 64, 9));
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
  state.SetLabel(form.name);
}

constexpr std::array<std::array<int, 2>, 2> kSizes{{{704, 576}, {720, 576}}};

void RegisterAll() {
  for (const auto& size : kSizes) {
    for (std::int64_t f = 0; f < static_cast<std::int64_t>(kForms.size()); ++f) {
      benchmark::RegisterBenchmark("yuv_to_bgr/prim", BM_YuvToBgrPrim)
          ->Args({f, size[0], size[1]})
          ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("yuv_to_bgr/swscale", BM_YuvToBgrSwscale)
        ->Args({size[0], size[1]})
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("yuv_to_bgr/libyuv", BM_YuvToBgrLibyuv)
        ->Args({size[0], size[1]})
        ->Unit(benchmark::kMicrosecond);
  }
  for (std::int64_t f = 0; f < static_cast<std::int64_t>(kForms.size()); ++f) {
    benchmark::RegisterBenchmark("idct_256_blocks/prim", BM_IdctPrim)->Arg(f);
  }
  for (std::int64_t f = 0; f < static_cast<std::int64_t>(kForms.size()); ++f) {
    benchmark::RegisterBenchmark("quant_h263_256_blocks/prim", BM_QuantPrim)->Arg(f);
  }
}

// Prints the ratios of the run's times after the console output.
class RatioReporter : public bench::RunTimesReporter {
 public:
  RatioReporter() : RunTimesReporter(Clock::kReal) {}

  void PrintRatios() const {
    const auto find = [&](const std::string& name) {
      const auto it = Times().find(name);
      return it == Times().end() ? 0.0 : it->second;
    };
    for (const auto& size : kSizes) {
      const std::string dims = std::to_string(size[0]) + "/" + std::to_string(size[1]);
      const double libyuv = find("yuv_to_bgr/libyuv/" + dims);
      const double swscale = find("yuv_to_bgr/swscale/" + dims);
      if (libyuv == 0 || swscale == 0) {
        continue;
      }
      std::printf("\n%dx%d YUV 4:2:0 to BGR: libyuv I420ToRGB24 %.1f us, libswscale %.1f us\n",
                  size[0], size[1], libyuv, swscale);
      for (std::size_t f = 0; f < kForms.size(); ++f) {
        const double ours = find("yuv_to_bgr/prim/" + std::to_string(f) + "/" + dims);
        if (ours > 0) {
          std::printf(
              "  %-15s %7.1f us  libyuv time / ours = %.2f  libswscale time / ours = %.2f\n",
              kForms[f].name, ours, libyuv / ours, swscale / ours);
        }
      }
    }
    PrintBlockRatios("idct", "idct_256_blocks/prim/");
    PrintBlockRatios("dequant", "quant_h263_256_blocks/prim/");
  }

 private:
  // Per block, each form against the generic scalar path and against the widest generic path
  // this processor runs (what the dispatch selects here).
  void PrintBlockRatios(const char* what, const std::string& prefix) const {
    const auto find = [&](std::size_t form) {
      const auto it = Times().find(prefix + std::to_string(form));
      return it == Times().end() ? 0.0 : it->second;
    };
    const double scalar = find(0);
    const double widest = find(static_cast<std::size_t>(PrimGenericPathSupported()));
    if (scalar <= 0 || widest <= 0) {
      return;
    }
    std::printf("\n");
    for (std::size_t f = 0; f < kForms.size(); ++f) {
      const double ours = find(f);
      if (ours > 0) {
        std::printf(
            "%s %-15s %6.1f ns per block, generic scalar time / this = %.2f, widest generic "
            "path time / this = %.2f\n",
            what, kForms[f].name, ours / 256.0, scalar / ours, widest / ours);
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RegisterAll();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
