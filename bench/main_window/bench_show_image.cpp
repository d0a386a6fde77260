// The frame painter (CKavelinDlg::ShowImage) per picture: a 704 x 576 picture shown at its own
// size in the window, and scaled over a 1920 x 1080 work area in full screen; with p50 and p99
// of the single calls. Also the painter with the window's repaint of the picture that follows it
// on the GUI thread (the picture converted into the backing store), the whole road to the
// screen. Peers in the same run: Qt's own road for the same picture (a bottom-up
// blue-green-red image mirrored and converted, and for full screen also scaled by sampling),
// and a plain copy of the painted picture's bytes, the memory floor.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../common/run_times.h"
#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/kavelin_app.h"
#include "platform/testing/manual_clock.h"
#include "ui/common/services.h"
#include "ui/main/kavelin_dlg.h"

namespace {

constexpr int kWidth = 704;
constexpr int kHeight = 576;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

class FixedWorkArea final : public ui::IWorkArea {
 public:
  QRect Rect() override { return QRect(0, 0, kScreenWidth, kScreenHeight); }
};

std::vector<std::uint8_t> Noise(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  std::mt19937 rng(7);
  for (auto& b : v)
    b = static_cast<std::uint8_t>(rng());
  return v;
}

// Times each call and reports the median and the 99th percentile in microseconds.
template <typename Call>
void Timed(benchmark::State& state, Call call) {
  std::vector<double> samples;
  samples.reserve(4096);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    call();
    const auto end = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    benchmark::ClobberMemory();
  }
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    return samples.empty() ? 0.0
                           : samples[std::min(samples.size() - 1,
                                              static_cast<std::size_t>(q * samples.size()))];
  };
  state.counters["p50_us"] = at(0.50);
  state.counters["p99_us"] = at(0.99);
}

// The main window as a session leaves it, with one picture handed over.
struct Session {
  Session() {
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>();
    ui::InstallServices(std::move(services));
    app::SetClock(&clock);  // the rates never fall due: the picture alone is measured
    g_lpApp = std::make_unique<CAppData>();
    CAppData& app = *g_lpApp;
    app.m_SettingINI.m_byAvSwitchOption = 1;
    app.m_SettingINI.m_bySelectedChannel = 1;
    app.m_wUserLevelShown = 30;
    app.m_wFrameWidth = kWidth;
    app.m_wFrameHeight = kHeight;
    app.FinishShowImageJobEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto);
    window = std::make_unique<CKavelinDlg>(ports::MainWindowEngine::Defaults(),
                                           ports::SysConfEngine::Defaults());
    window->Create();
    app.m_pCurrentPicture = picture.data();
    app.m_bConnected = 1;
    app.m_dwStreamStartTick = clock.Ticks();
  }
  ~Session() {
    window.reset();
    StopMainTimer();
    app::SetMainWindowSink(nullptr);
    app::SetClock(nullptr);
    g_lpApp.reset();
  }

  platform::testing::ManualClock clock;
  std::vector<std::uint8_t> picture = Noise(static_cast<std::size_t>(kWidth) * kHeight * 3);
  std::unique_ptr<CKavelinDlg> window;
};

Session* g_session = nullptr;

void ShowImageWindow(benchmark::State& state) {
  g_lpApp->m_bFullScreen = 0;
  Timed(state, [] { g_session->window->ShowImage(); });
  QCoreApplication::processEvents();
}

void ShowImageFullScreen(benchmark::State& state) {
  g_session->window->OnTitleFullScreen();
  g_session->window->ShowImage();
  QCoreApplication::processEvents();  // the window is laid over the work area
  Timed(state, [] { g_session->window->ShowImage(); });
  g_session->window->ExitFullScreen();
  QCoreApplication::processEvents();
}

void ShowAndPaintWindow(benchmark::State& state) {
  g_lpApp->m_bFullScreen = 0;
  CKavelinDlg& window = *g_session->window;
  Timed(state, [&] {
    window.ShowImage();
    window.repaint(window.VideoRect());
  });
  QCoreApplication::processEvents();
}

void ShowAndPaintFullScreen(benchmark::State& state) {
  CKavelinDlg& window = *g_session->window;
  window.OnTitleFullScreen();
  window.ShowImage();
  QCoreApplication::processEvents();
  Timed(state, [&] {
    window.ShowImage();
    window.repaint();
  });
  window.ExitFullScreen();
  QCoreApplication::processEvents();
}

void QtConvert(benchmark::State& state) {
  const auto& picture = g_session->picture;
  QImage shown;
  Timed(state, [&] {
    const QImage source(picture.data(), kWidth, kHeight, kWidth * 3, QImage::Format_BGR888);
    shown = source.mirrored().convertToFormat(QImage::Format_RGB32);
  });
  benchmark::DoNotOptimize(shown.constBits());
}

void QtScaleConvert(benchmark::State& state) {
  const auto& picture = g_session->picture;
  QImage shown;
  Timed(state, [&] {
    const QImage source(picture.data(), kWidth, kHeight, kWidth * 3, QImage::Format_BGR888);
    shown = source.mirrored()
                .scaled(kScreenWidth, kScreenHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .convertToFormat(QImage::Format_RGB32);
  });
  benchmark::DoNotOptimize(shown.constBits());
}

void Copy(benchmark::State& state, std::size_t bytes) {
  const auto src = Noise(bytes);
  std::vector<std::uint8_t> dst(bytes);
  Timed(state, [&] { std::memcpy(dst.data(), src.data(), bytes); });
}

class RatioReporter : public bench::RunTimesReporter {
 public:
  RatioReporter() : RunTimesReporter(Clock::kReal) {}

  void PrintRatios() const {
    std::printf("\n%-34s %10s %10s %10s %12s %12s\n", "picture", "ours", "qt", "copy", "qt/ours",
                "ours/copy");
    const struct {
      const char* label;
      const char* ours;
      const char* qt;
      const char* copy;
    } rows[] = {{"704x576 in the window", "show_image/window_704x576", "qt_convert/704x576",
                 "copy/704x576_rgb32"},
                {"704x576 over 1920x1080", "show_image/full_screen_1920x1080",
                 "qt_scale_convert/1920x1080", "copy/1920x1080_rgb32"},
                {"704x576 in the window, painted", "show_and_paint/window_704x576",
                 "qt_convert/704x576", "copy/704x576_rgb32"},
                {"704x576 over 1920x1080, painted", "show_and_paint/full_screen_1920x1080",
                 "qt_scale_convert/1920x1080", "copy/1920x1080_rgb32"}};
    for (const auto& row : rows) {
      const double ours = Find(row.ours);
      const double qt = Find(row.qt);
      const double copy = Find(row.copy);
      if (ours <= 0 || qt <= 0 || copy <= 0)
        continue;
      std::printf("%-34s %10.1f %10.1f %10.1f %12.2f %12.2f\n", row.label, ours, qt, copy,
                  qt / ours, ours / copy);
    }
    std::printf("(mean microseconds per picture; p50 and p99 are in the counters above)\n");
  }

 private:
  double Find(const std::string& name) const {
    const auto it = Times().find(name);
    return it == Times().end() ? 0.0 : it->second;
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  Session session;
  g_session = &session;
  benchmark::RegisterBenchmark("show_image/window_704x576", ShowImageWindow)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("qt_convert/704x576", QtConvert)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("copy/704x576_rgb32", Copy,
                               static_cast<std::size_t>(kWidth) * kHeight * 4)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("show_image/full_screen_1920x1080", ShowImageFullScreen)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("qt_scale_convert/1920x1080", QtScaleConvert)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("show_and_paint/window_704x576", ShowAndPaintWindow)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("show_and_paint/full_screen_1920x1080", ShowAndPaintFullScreen)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("copy/1920x1080_rgb32", Copy,
                               static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 4)
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  g_session = nullptr;
  return 0;
}
