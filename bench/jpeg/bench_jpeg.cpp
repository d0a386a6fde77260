// Decoding of 704 x 576 JPEG frames: DecodeJpegFrame (bottom-up BGR of the announced size, with
// its size checks) against libjpeg-turbo's own decompress-to-BGR call on the same pictures,
// in one run. After the run our time is printed as a ratio of the library's for each picture;
// the goal is that our layer adds at most 5 %. Run with --benchmark_repetitions for figures.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../common/run_times.h"
#include "codec/jpeg_frame/jpeg_frame.h"

namespace {

constexpr int kWidth = 704;
constexpr int kHeight = 576;

struct PictureKind {
  const char* name;
  int subsampling;
  int quality;
};

constexpr PictureKind kKinds[] = {
    {"420_q50", TJSAMP_420, 50},
    {"420_q75", TJSAMP_420, 75},
    {"420_q90", TJSAMP_420, 90},
    {"422_q75", TJSAMP_422, 75},
};

// A camera-like picture: smooth shading, fine texture and some sensor noise, so the entropy
// decoder has real work, as it has with the server's frames.
std::vector<std::uint8_t> ScenePixels() {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(kWidth) * kHeight * 3);
  std::mt19937 random(11);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double shade = 100 + 60 * std::sin(x * 0.011) * std::cos(y * 0.017);
      const double texture = 30 * std::sin(x * 0.35 + y * 0.21) * (x > kWidth / 2 ? 1.0 : 0.3);
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      for (int c = 0; c < 3; ++c) {
        const double v = shade + texture * (c + 1) / 3.0 + 20 * c + noise(random);
        p[c] = static_cast<std::uint8_t>(std::lround(std::fmin(255, std::fmax(0, v))));
      }
    }
  }
  return bgr;
}

const std::vector<std::uint8_t>& Jpeg(const PictureKind& kind) {
  static std::map<std::string, std::vector<std::uint8_t>> cache;
  auto [it, inserted] = cache.try_emplace(kind.name);
  if (inserted) {
    static const std::vector<std::uint8_t> pixels = ScenePixels();
    tjhandle handle = tjInitCompress();
    unsigned char* raw = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle, pixels.data(), kWidth, 0, kHeight, TJPF_BGR, &raw, &size,
                    kind.subsampling, kind.quality, 0) == 0) {
      it->second.assign(raw, raw + size);
    }
    tjFree(raw);
    tjDestroy(handle);
  }
  return it->second;
}

void BM_Ours(benchmark::State& state, PictureKind kind) {
  const std::vector<std::uint8_t>& jpeg = Jpeg(kind);
  std::vector<std::uint8_t> slot(kJpegFrameSlotBytes);
  for (auto _ : state) {
    if (DecodeJpegFrame(jpeg, slot, kWidth, kHeight) != 1) {
      state.SkipWithError("DecodeJpegFrame refused the picture");
      break;
    }
    benchmark::DoNotOptimize(slot.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(jpeg.size()));
}

void BM_Library(benchmark::State& state, PictureKind kind) {
  const std::vector<std::uint8_t>& jpeg = Jpeg(kind);
  std::vector<std::uint8_t> slot(kJpegFrameSlotBytes);
  tjhandle handle = tjInitDecompress();
  for (auto _ : state) {
    if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), slot.data(),
                      kWidth, 0, kHeight, TJPF_BGR, TJFLAG_BOTTOMUP) != 0) {
      state.SkipWithError(tjGetErrorStr2(handle));
      break;
    }
    benchmark::DoNotOptimize(slot.data());
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(jpeg.size()));
}

void RegisterAll() {
  for (const PictureKind& kind : kKinds) {
    const std::string base = std::string("jpeg_704x576/") + kind.name;
    benchmark::RegisterBenchmark((base + "/libjpeg-turbo").c_str(), BM_Library, kind)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((base + "/ours").c_str(), BM_Ours, kind)
        ->Unit(benchmark::kMicrosecond);
  }
}

// Prints the ratios of the run's times after the console output.
class RatioReporter : public bench::RunTimesReporter {
 public:
  // CPU time: the decode is single-threaded, and on a machine shared with other builds the
  // wall time mostly measures the others.
  RatioReporter() : RunTimesReporter(Clock::kCpu) {}

  void PrintRatios() const {
    for (const PictureKind& kind : kKinds) {
      const std::string base = std::string("jpeg_704x576/") + kind.name;
      const auto ours = Times().find(base + "/ours");
      const auto library = Times().find(base + "/libjpeg-turbo");
      if (ours != Times().end() && library != Times().end() && library->second > 0) {
        std::printf("%s: our time / libjpeg-turbo time = %.3f (%+.1f %%)\n", kind.name,
                    ours->second / library->second, 100.0 * (ours->second / library->second - 1.0));
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
