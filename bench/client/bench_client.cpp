// The running client: the real program (start-up, the login window, the main window and every
// engine thread; windows offscreen unless QT_QPA_PLATFORM says otherwise) logs in to the fake
// video server, which streams the 704x576 MPEG-4 clip with its sound at 30 frames a second from
// a child process: over UDP, over TCP, and over UDP in full screen. Reported per run: CPU time
// (user + system, from the kernel's per-thread run times) per second and per shown frame, by
// thread, and the share of the work each thread stands for (decode: the compose thread; the
// picture's copy, in full screen its scaling: the frame painter on the kernel-message thread;
// conversion and painting: the GUI thread; sound: the audio-play thread; receiving; pacing: the
// show thread and the 1 ms ticker). Peers in the same run: the decode of the same frames to the
// window's picture alone, one thread, the floor of the work; and the same decode with the caches
// emptied between frames, as a running client meets it.
//
// Every run is made once per processor class the dispatch knows (generic, SSE, SSE2, SSE3), the
// class forced whatever processor runs the benchmark; --forms=LIST (comma-separated names of
// forced_processor.h, or "machine" for the class this processor's check selects) picks them.
// Offscreen, the platform is given one 1920x1080 screen (a configuration file of the offscreen
// plugin), so that full screen covers what it covers on a user's display.
//
// A full run measures 20 s per run after 2 s of warm-up (--seconds=N to change); with
// --benchmark_min_time below one second (the smoke run) it measures a third of a second of UDP
// on the machine's own class.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "fakes/temp_folder.h"
#include "forced_processor.h"
#include "platform/folders.h"
#include "platform/window_message.h"
#include "ui/login/login_dialog.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/run_kavelin.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::uint16_t kWidth = 704;
constexpr std::uint16_t kHeight = 576;
constexpr int kFrameIntervalMs = 33;
// The main window's "life time over" message: it closes the window and ends the program.
constexpr std::uint32_t kLifeTimeOver = 0x40C;

double g_measureSeconds = 20.0;
double g_warmUpSeconds = 2.0;
bool g_smoke = false;  // the short run: UDP alone
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
// The classes measured: indexes of cpu_class::kCpuClasses, kMachineForms for the machine's.
constexpr std::int64_t kMachineForms = -1;
std::vector<std::int64_t> g_forms = {0, 1, 2, 3};

const cpu_class::CpuClass* FormsOf(std::int64_t forms) {
  return forms >= 0 && forms < static_cast<std::int64_t>(cpu_class::kCpuClasses.size())
             ? &cpu_class::kCpuClasses[static_cast<std::size_t>(forms)]
             : nullptr;
}

std::string FormsName(std::int64_t forms) {
  const cpu_class::CpuClass* row = FormsOf(forms);
  return row != nullptr ? std::string(row->name) : "machine";
}
int g_argc = 0;
char** g_argv = nullptr;

const std::vector<fakes::ClipFrame>& Clip() {
  static const std::vector<fakes::ClipFrame> clip =
      fakes::Mpeg4Clip(fakes::ReadFile(CLIENT_BENCH_DATA_DIR "/clip_704x576.m4v"));
  return clip;
}

// ---------------------------------------------------------------------------------------------
// The fake server in a child process of its own, as a device is: its CPU stays out of the
// client's figures. Forked before the first thread of the benchmark exists.

struct ServerProcess {
  pid_t pid = -1;
  std::uint16_t webPort = 0;
  int keepAlive = -1;  // closing it ends the child
};

[[noreturn]] void ServeUntilParentCloses(int portsOut, int keepAliveIn) {
  const std::chrono::seconds life(3600);
  fakes::FakeStreamServer stream(life);
  stream.SetVideoClip(Clip());
  stream.SetAudioClip(fakes::AudioClip(64, 512));
  stream.SetFrameInterval(std::chrono::milliseconds(kFrameIntervalMs));
  stream.SetLoops(static_cast<std::uint32_t>(3600 * 1000 / kFrameIntervalMs / Clip().size() + 1));
  fakes::FakeVideoServer web(life);
  web.SetStreamReply(
      "VIDEO-FORMAT=4;USER-LEVEL=30;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
      "DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=704;MPEG4-HEIGHT=576;"
      "JPEG-WIDTH=352;JPEG-HEIGHT=288;STREAM-PORT=" +
      std::to_string(stream.Port()) + ";");
  const std::uint16_t port = web.WebPort();
  if (::write(portsOut, &port, sizeof port) != sizeof port)
    std::_Exit(1);
  ::close(portsOut);
  char byte = 0;
  while (::read(keepAliveIn, &byte, 1) > 0) {
  }
  stream.Stop();
  std::_Exit(0);
}

ServerProcess StartServerProcess() {
  ServerProcess server;
  int ports[2];
  int keepAlive[2];
  if (::pipe(ports) != 0 || ::pipe(keepAlive) != 0)
    return server;
  (void)Clip();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::close(ports[0]);
    ::close(keepAlive[1]);
    ServeUntilParentCloses(ports[1], keepAlive[0]);
  }
  ::close(ports[1]);
  ::close(keepAlive[0]);
  if (pid < 0) {
    ::close(ports[0]);
    ::close(keepAlive[1]);
    return server;
  }
  std::uint16_t port = 0;
  if (::read(ports[0], &port, sizeof port) == sizeof port) {
    server.pid = pid;
    server.webPort = port;
    server.keepAlive = keepAlive[1];
  }
  ::close(ports[0]);
  return server;
}

void StopServerProcess(ServerProcess& server) {
  if (server.keepAlive >= 0)
    ::close(server.keepAlive);
  if (server.pid > 0)
    ::waitpid(server.pid, nullptr, 0);
  server = {};
}

ServerProcess& Server() {
  static ServerProcess server;
  return server;
}

// ---------------------------------------------------------------------------------------------
// CPU time by thread, from /proc/self/task/*/schedstat (nanoseconds on the CPU).

struct ThreadTime {
  std::string name;
  std::uint64_t ns = 0;
  std::uint64_t wakeUps = 0;  // voluntary context switches: the thread blocked and was woken
};
using ThreadTimes = std::map<int, ThreadTime>;  // by thread id

std::string ReadLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::uint64_t VoluntarySwitches(const std::string& statusPath) {
  std::ifstream in(statusPath);
  std::string line;
  const std::string key = "voluntary_ctxt_switches:";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0)
      return std::strtoull(line.c_str() + key.size(), nullptr, 10);
  }
  return 0;
}

ThreadTimes SampleThreads() {
  ThreadTimes times;
  DIR* dir = ::opendir("/proc/self/task");
  if (dir == nullptr)
    return times;
  while (const dirent* entry = ::readdir(dir)) {
    const int tid = std::atoi(entry->d_name);
    if (tid <= 0)
      continue;
    const std::string base = std::string("/proc/self/task/") + entry->d_name;
    const std::string run = ReadLine(base + "/schedstat");
    if (run.empty())
      continue;
    ThreadTime& t = times[tid];
    t.name = tid == ::getpid() ? std::string("GUI") : ReadLine(base + "/comm");
    t.ns = std::strtoull(run.c_str(), nullptr, 10);
    t.wakeUps = VoluntarySwitches(base + "/status");
  }
  ::closedir(dir);
  return times;
}

// The runs: the picture in the window over UDP and over TCP, and over UDP in full screen, where
// the frame painter scales it over the work area as well.
enum Run : std::int64_t { kUdp = 0, kTcp = 1, kUdpFullScreen = 2 };

const char* RunName(std::int64_t run) {
  return run == kTcp ? "TCP" : run == kUdpFullScreen ? "UDP full screen" : "UDP";
}

// What each thread stands for; the frame painter scales only in full screen.
std::string ShareOf(const std::string& thread, bool fullScreen) {
  if (fullScreen && thread == "KernelMessage")
    return "scale";
  static const std::map<std::string, std::string> shares = {
      {"Mpeg4Compose", "decode"},  {"JpegCompose", "decode"},      {"KernelMessage", "copy"},
      {"GUI", "convert+paint"},    {"PlayAudioData", "sound"},     {"UdpGetImageData", "receive"},
      {"UdpGetAudio", "receive"},  {"TcpGetImageData", "receive"}, {"TcpGetAudio", "receive"},
      {"ShowImageData", "pacing"}, {"ticker", "pacing"},
  };
  const auto it = shares.find(thread);
  return it == shares.end() ? std::string("other") : it->second;
}

struct Measurement {
  double seconds = 0;
  std::uint32_t frames = 0;
  std::map<std::string, double> msByThread;  // CPU ms over the window, by thread name
  std::map<std::string, double> wakeUpsByThread;
  double totalMs = 0;
  double wakeUps = 0;
  QSize picture{kWidth, kHeight};  // as shown: the work area in full screen
  bool ok = false;
};

Measurement Difference(const ThreadTimes& before, const ThreadTimes& after, double seconds,
                       std::uint32_t frames) {
  Measurement m;
  m.seconds = seconds;
  m.frames = frames;
  for (const auto& [tid, t] : after) {
    const auto it = before.find(tid);
    const std::uint64_t start = it != before.end() ? it->second.ns : 0;
    const double ms = static_cast<double>(t.ns - std::min(start, t.ns)) / 1e6;
    const std::uint64_t woke = it != before.end() ? it->second.wakeUps : 0;
    const double wakeUps = static_cast<double>(t.wakeUps - std::min(woke, t.wakeUps));
    m.msByThread[t.name] += ms;
    m.wakeUpsByThread[t.name] += wakeUps;
    m.totalMs += ms;
    m.wakeUps += wakeUps;
  }
  m.ok = seconds > 0 && frames > 0;
  return m;
}

// ---------------------------------------------------------------------------------------------
// One run of the program: log in, wait for the picture, measure, close.

void WriteSettings(const std::filesystem::path& folder, std::uint16_t webPort, bool tcp) {
  std::ofstream out(folder / "Setting.ini");
  out << "[ZRC604]\nServer Name=127.0.0.1\nServerPort=" << webPort
      << "\nDecode Type=4\nTransmission Type=" << (tcp ? 1 : 0) << "\nAvSwitch Option=3\n";
}

template <typename T>
T* VisibleTopLevel() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<T*>(widget); window != nullptr && window->isVisible())
      return window;
  }
  return nullptr;
}

Measurement RunProgram(bool tcp, bool fullScreen) {
  Measurement result;
  fakes::TempFolder folder;
  platform::SetProgramFolder(folder.Path());
  std::error_code ignored;
  std::filesystem::copy_file(
      std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "CtrlFile.ini",
      folder.Path() / "CtrlFile.ini", ignored);
  WriteSettings(folder.Path(), Server().webPort, tcp);

  enum class Phase { kLogin, kFirstPicture, kWarmUp, kMeasure, kDone } phase = Phase::kLogin;
  const auto giveUp = SteadyClock::now() + std::chrono::seconds(30);
  SteadyClock::time_point phaseEnd;
  ThreadTimes before;
  std::uint32_t framesBefore = 0;
  QSize shown{kWidth, kHeight};
  SteadyClock::time_point measureStart;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const auto now = SteadyClock::now();
    CKavelinDlg* main = VisibleTopLevel<CKavelinDlg>();
    if (phase == Phase::kLogin) {
      if (auto* login = VisibleTopLevel<LoginDialog>()) {
        // Enter starts the login, as a person's key press does.
        QCoreApplication::postEvent(
            login, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        QCoreApplication::postEvent(
            login, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier));
        phase = Phase::kFirstPicture;
      }
    } else if (phase == Phase::kFirstPicture) {
      if (main != nullptr && g_lpApp && g_lpApp->m_dwDisplayedFrames.load() > 0) {
        if (fullScreen) {
          main->OnTitleFullScreen();  // as the title bar's full-screen key does
          shown = main->WorkAreaRect().size();
        }
        phase = Phase::kWarmUp;
        phaseEnd = now + std::chrono::duration_cast<SteadyClock::duration>(
                             std::chrono::duration<double>(g_warmUpSeconds));
      }
    } else if (phase == Phase::kWarmUp && now >= phaseEnd && g_lpApp) {
      // From here the window's own timer is the only one of the benchmark's left running.
      timer.setInterval(static_cast<int>(g_measureSeconds * 1000));
      framesBefore = g_lpApp->m_dwDisplayedFrames.load();
      measureStart = SteadyClock::now();
      before = SampleThreads();
      phase = Phase::kMeasure;
      return;
    } else if (phase == Phase::kMeasure && g_lpApp) {
      const ThreadTimes after = SampleThreads();
      const double seconds =
          std::chrono::duration<double>(SteadyClock::now() - measureStart).count();
      result =
          Difference(before, after, seconds, g_lpApp->m_dwDisplayedFrames.load() - framesBefore);
      result.picture = shown;
      phase = Phase::kDone;
    }
    if (phase == Phase::kDone || now > giveUp) {
      if (main != nullptr) {
        timer.stop();
        platform::PostMessage(main->Handle(), kLifeTimeOver, 0, 0);
      }
    }
  });
  timer.start();
  ui::RunKavelin(g_argc, g_argv);
  timer.stop();
  return result;
}

void Report(benchmark::State& state, const Measurement& m) {
  const bool fullScreen = state.range(0) == kUdpFullScreen;
  const double perSecond = m.totalMs / m.seconds;
  state.counters["cpu_ms_per_s"] = perSecond;
  state.counters["cpu_ms_per_frame"] = m.totalMs / m.frames;
  state.counters["fps"] = m.frames / m.seconds;
  state.counters["wakeups_per_s"] = m.wakeUps / m.seconds;
  std::map<std::string, double> shares;
  for (const auto& [name, ms] : m.msByThread)
    shares[ShareOf(name, fullScreen)] += ms;
  for (const auto& [share, ms] : shares)
    state.counters[share + "_ms_per_s"] = ms / m.seconds;

  std::printf(
      "\n%s, %s forms: %dx%d shown, %.1f s, %u frames (%.1f per second), CPU %.1f ms/s, "
      "%.2f ms/frame\n",
      RunName(state.range(0)), FormsName(state.range(1)).c_str(), m.picture.width(),
      m.picture.height(), m.seconds, m.frames, m.frames / m.seconds, perSecond,
      m.totalMs / m.frames);
  std::vector<std::pair<std::string, double>> byThread(m.msByThread.begin(), m.msByThread.end());
  std::sort(byThread.begin(), byThread.end(),
            [](const auto& a, const auto& b) { return a.second > b.second; });
  std::printf("  %-16s %-13s %9s %10s %6s %10s\n", "thread", "share", "ms/s", "ms/frame", "%",
              "wake-ups/s");
  for (const auto& [name, ms] : byThread) {
    if (ms <= 0)
      continue;
    std::printf("  %-16s %-13s %9.2f %10.3f %5.1f%% %10.0f\n", name.c_str(),
                ShareOf(name, fullScreen).c_str(), ms / m.seconds, ms / m.frames,
                100.0 * ms / m.totalMs, m.wakeUpsByThread.at(name) / m.seconds);
  }
  std::printf("  by share:");
  for (const auto& [share, ms] : shares)
    std::printf(" %s %.1f%%", share.c_str(), 100.0 * ms / m.totalMs);
  std::printf("\n");
  std::fflush(stdout);
}

void BM_Client(benchmark::State& state) {  // range(0): the Run; range(1): the forms
  if (Server().pid <= 0) {
    state.SkipWithError("the fake server did not start");
    return;
  }
  const client_bench::ScopedProcessorClass forms(FormsOf(state.range(1)));
  if (!forms.Ok()) {
    state.SkipWithError("the dispatch did not select the forced class");
    return;
  }
  Measurement last;
  for (auto _ : state)
    last = RunProgram(state.range(0) == kTcp, state.range(0) == kUdpFullScreen);
  if (!last.ok) {
    state.SkipWithError("no picture was shown");
    return;
  }
  Report(state, last);
  state.SetLabel(std::string(RunName(state.range(0))) + ", " + FormsName(state.range(1)));
}

// CPU time per decoded frame, and per second at 30 frames a second (printed in seconds).
void ReportDecodeRate(benchmark::State& state) {
  const double frames = static_cast<double>(state.iterations() * Clip().size());
  state.counters["cpu_per_frame"] =
      benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                         benchmark::Counter::kIs1000);
  state.counters["cpu_per_s_at_30fps"] =
      benchmark::Counter(frames / 30.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                         benchmark::Counter::kIs1000);
}

// The peer: the same frames decoded to the window's bottom-up 24-bit picture, as the compose
// thread decodes them (reference mode 1), on one thread.
void BM_DecodeToPicture(benchmark::State& state) {  // range(0): the forms
  const client_bench::ScopedProcessorClass forms(FormsOf(state.range(0)));
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  std::vector<std::uint8_t> picture(std::size_t{kWidth} * kHeight * 3);
  for (auto _ : state) {
    decoder.Open(kWidth, kHeight, 1);
    for (const auto& f : Clip()) {
      decoder.DecodeFrameInto(f.elementary.data(), static_cast<std::uint32_t>(f.elementary.size()),
                              picture);
    }
    benchmark::DoNotOptimize(picture.data());
  }
  ReportDecodeRate(state);
  state.SetLabel(FormsName(state.range(0)));
}

// The same decode as the client meets it: each frame into the next of 20 ring-sized slots, and
// between two frames (outside the measured time) 64 MB written, as the 33 ms between two frames
// of a running client leave the caches to the other threads and programs. Against the peer
// above it tells how much of the decode's time in the client is memory that is no longer cached.
void BM_DecodeToPictureCold(benchmark::State& state) {  // range(0): the forms
  const client_bench::ScopedProcessorClass forms(FormsOf(state.range(0)));
  constexpr std::size_t kSlots = 20;
  constexpr std::size_t kSlotBytes = 1572864;  // a decoded-image ring slot
  CMpeg4DecoderContext decoder;
  decoder.AllocateBuffers();
  std::vector<std::uint8_t> ring(kSlots * kSlotBytes, 1);
  std::vector<std::uint8_t> other(std::size_t{64} << 20, 1);
  std::size_t slot = 0;
  std::uint8_t mark = 0;
  for (auto _ : state) {
    decoder.Open(kWidth, kHeight, 1);
    for (const auto& f : Clip()) {
      state.PauseTiming();
      std::fill(other.begin(), other.end(), ++mark);
      benchmark::ClobberMemory();
      state.ResumeTiming();
      decoder.DecodeFrameInto(f.elementary.data(), static_cast<std::uint32_t>(f.elementary.size()),
                              std::span<std::uint8_t>(ring).subspan(slot * kSlotBytes, kSlotBytes));
      slot = (slot + 1) % kSlots;
    }
    benchmark::DoNotOptimize(ring.data());
  }
  ReportDecodeRate(state);
  state.SetLabel(FormsName(state.range(0)));
}

// The classes of a --forms list; false on a name no class has.
bool ParseForms(const std::string& list, std::vector<std::int64_t>& forms) {
  forms.clear();
  std::size_t at = 0;
  while (at <= list.size()) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    const std::string name = list.substr(at, comma - at);
    if (name == "all") {
      for (std::size_t i = 0; i < cpu_class::kCpuClasses.size(); ++i)
        forms.push_back(static_cast<std::int64_t>(i));
    } else if (name == "machine") {
      forms.push_back(kMachineForms);
    } else if (const cpu_class::CpuClass* row = cpu_class::FindCpuClass(name)) {
      forms.push_back(row - cpu_class::kCpuClasses.data());
    } else {
      return false;
    }
    at = comma + 1;
  }
  return !forms.empty();
}

// Our own flags: --seconds=N (the measuring time per transport), --forms=LIST (the processor
// classes). A --benchmark_min_time below one second is the smoke run: UDP alone on the machine's
// class, a third of a second of measuring after a fifth of warm-up. False on a bad flag.
bool TakeOwnFlags(int& argc, char** argv) {
  int kept = 1;
  bool formsGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--seconds=", 0) == 0) {
      g_measureSeconds = std::max(0.2, std::atof(arg.c_str() + 10));
      continue;
    }
    if (arg.rfind("--forms=", 0) == 0) {
      if (!ParseForms(arg.substr(8), g_forms)) {
        std::fprintf(stderr, "--forms takes a comma-separated list of: all machine");
        for (const auto& row : cpu_class::kCpuClasses)
          std::fprintf(stderr, " %.*s", static_cast<int>(row.name.size()), row.name.data());
        std::fprintf(stderr, "\n");
        return false;
      }
      formsGiven = true;
      continue;
    }
    if (arg.rfind("--benchmark_min_time=", 0) == 0 && std::atof(arg.c_str() + 21) < 1.0) {
      g_measureSeconds = 0.3;
      g_warmUpSeconds = 0.2;
      g_smoke = true;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
  if (g_smoke && !formsGiven)
    g_forms = {kMachineForms};
  return true;
}

// The offscreen platform with one screen of a user's size, from a configuration file of the
// plugin's own format. Left alone when QT_QPA_PLATFORM names a platform.
void UseOffscreenScreen(const std::filesystem::path& folder) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    return;
  const std::filesystem::path config = folder / "offscreen_screen.json";
  std::ofstream(config) << "{\"screens\": [{\"name\": \"bench\", \"x\": 0, \"y\": 0, "
                        << "\"width\": " << kScreenWidth << ", \"height\": " << kScreenHeight
                        << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n";
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.string().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (!TakeOwnFlags(argc, argv))
    return 2;
  Server() = StartServerProcess();
  const fakes::TempFolder screenFolder;
  UseOffscreenScreen(screenFolder.Path());
  QApplication application(argc, argv);
  g_argc = argc;
  g_argv = argv;
  for (const std::int64_t forms : g_forms) {
    const std::string suffix = std::string("/") + FormsName(forms);
    benchmark::RegisterBenchmark(("BM_DecodeToPicture" + suffix).c_str(), BM_DecodeToPicture)
        ->Arg(forms)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_DecodeToPictureCold" + suffix).c_str(),
                                 BM_DecodeToPictureCold)
        ->Arg(forms)
        ->Unit(benchmark::kMillisecond);
  }
  for (const std::int64_t forms : g_forms) {
    for (const auto& [run, name] : {std::pair{kUdp, "BM_Client/UDP"},
                                    {kTcp, "BM_Client/TCP"},
                                    {kUdpFullScreen, "BM_Client/UDP_full_screen"}}) {
      if (run != kUdp && g_smoke)
        continue;
      benchmark::RegisterBenchmark((name + std::string("/") + FormsName(forms)).c_str(), BM_Client)
          ->Args({run, forms})
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  StopServerProcess(Server());
  return 0;
}
