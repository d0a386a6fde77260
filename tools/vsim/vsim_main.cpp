// vsim: a simulated video server on 127.0.0.1. It answers the login and CGI requests on a web
// port and streams looping fixture clips on its stream port, over TCP and UDP, until its run time
// is over: "Mpeg4" requests get the MPEG-4 clip, "Jpeg" requests the JPEG clip, "Audio" an audio
// stream; the stream reply gives both sizes and the user level.
//
//   vsim [--jpeg] [--clip FILE --width W --height H] [--level N] [--interval MS] [--seconds N]
//        [--off-row-config] [--verbose] [--reports]
//
// --jpeg announces the JPEG format and makes --clip replace the JPEG clip (else the MPEG-4 one).
// Logins (and the LAN search's set-IP and reset) are checked against the accounts it serves:
// the login window's built-in one and those of its SECURE record. It serves and stores the
// sample configuration records (--off-row-config: the sample with values no row of the
// configuration pages stands for), lists three online users and serves a day's event log
// (which the log page can erase). It answers the LAN search on UDP 7777 and
// takes firmware uploads, printing what it receives, as it prints each stream request. --verbose
// prints every web request it answers (with the RS485 frames of the panel keys); --reports prints
// each receiver report the client sends (its frame rate among them) with the seconds since start
// and the frames sent since the report before (all streams together).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/fake_config_server.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "vsim_device_tools.h"
#include "vsim_request_log.h"

namespace {

struct Options {
  bool jpeg = false;
  std::string clip;
  int width = 0;
  int height = 0;
  int level = 30;
  int intervalMs = 33;
  long seconds = 600;
  bool offRowConfig = false;
  bool verbose = false;
  bool reports = false;
};

struct Clip {
  std::string file;
  int width = 0;
  int height = 0;
};

constexpr long kMaxSeconds = 86400;

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--jpeg") {
      o.jpeg = true;
    } else if (arg == "--clip" && hasValue) {
      o.clip = argv[++i];
    } else if (arg == "--width" && hasValue) {
      o.width = std::atoi(argv[++i]);
    } else if (arg == "--height" && hasValue) {
      o.height = std::atoi(argv[++i]);
    } else if (arg == "--level" && hasValue) {
      o.level = std::atoi(argv[++i]);
    } else if (arg == "--interval" && hasValue) {
      o.intervalMs = std::atoi(argv[++i]);
    } else if (arg == "--off-row-config") {
      o.offRowConfig = true;
    } else if (arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "--reports") {
      o.reports = true;
    } else if (arg == "--seconds" && hasValue) {
      o.seconds = std::atol(argv[++i]);
    } else {
      return false;
    }
  }
  const bool ownClip = !o.clip.empty();
  return (!ownClip || (o.width > 0 && o.height > 0)) && o.level >= 0 && o.intervalMs >= 0 &&
         o.seconds > 0 && o.seconds <= kMaxSeconds;
}

// The frames stamped as a device stamps them: one frame interval apart (90 kHz).
std::vector<fakes::ClipFrame> LoadClip(const Clip& clip, bool jpeg, int intervalMs) {
  const fakes::ByteVector bytes = fakes::ReadFile(clip.file.c_str());
  const auto step = static_cast<std::uint32_t>(intervalMs > 0 ? intervalMs * 90 : 3003);
  return jpeg ? fakes::JpegClip(bytes, step) : fakes::Mpeg4Clip(bytes, step);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(
        stderr,
        "usage: vsim [--jpeg] [--clip FILE --width W --height H] [--level N] "
        "[--interval MS] [--seconds N (1..%ld)] [--off-row-config] [--verbose] [--reports]\n",
        kMaxSeconds);
    return 2;
  }
  Clip mpeg4{std::string(VSIM_DATA_DIR) + "/clip_704x576.m4v", 704, 576};
  Clip jpeg{std::string(VSIM_DATA_DIR) + "/clip_352x288.mjpeg", 352, 288};
  if (!o.clip.empty())
    (o.jpeg ? jpeg : mpeg4) = Clip{o.clip, o.width, o.height};
  const auto mpeg4Frames = LoadClip(mpeg4, false, o.intervalMs);
  const auto jpegFrames = LoadClip(jpeg, true, o.intervalMs);
  for (const auto& [frames, clip] : {std::pair{&mpeg4Frames, &mpeg4}, {&jpegFrames, &jpeg}}) {
    if (frames->empty()) {
      std::fprintf(stderr, "vsim: no frames in %s\n", clip->file.c_str());
      return 1;
    }
  }
  const std::chrono::seconds life(o.seconds);
  fakes::FakeStreamServer stream(life);
  stream.SetVideoClip(mpeg4Frames);
  stream.SetJpegClip(jpegFrames);
  stream.SetAudioClip(fakes::AudioClip(64, 512));
  stream.SetFrameInterval(std::chrono::milliseconds(o.intervalMs));
  const auto frameMs = static_cast<long>(o.intervalMs > 0 ? o.intervalMs : 1);
  const auto shortest = static_cast<long>(std::min(mpeg4Frames.size(), jpegFrames.size()));
  stream.SetLoops(static_cast<std::uint32_t>(o.seconds * 1000 / frameMs / shortest + 1));

  fakes::FakeVideoServer web(life);
  if (o.offRowConfig)
    fakes::ServeConfig(web, fakes::OffRowConfig());
  web.SetStreamReply(std::string("VIDEO-FORMAT=") + (o.jpeg ? "0" : "4") +
                     ";USER-LEVEL=" + std::to_string(o.level) +
                     ";LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
                     "DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=" +
                     std::to_string(mpeg4.width) + ";MPEG4-HEIGHT=" + std::to_string(mpeg4.height) +
                     ";JPEG-WIDTH=" + std::to_string(jpeg.width) +
                     ";JPEG-HEIGHT=" + std::to_string(jpeg.height) +
                     ";STREAM-PORT=" + std::to_string(stream.Port()) + ";");
  std::printf(
      "vsim: 127.0.0.1 web port %u, stream port %u, MPEG-4 %dx%d (%zu frames), "
      "JPEG %dx%d (%zu frames), user level %d, %ld s\n",
      static_cast<unsigned>(web.WebPort()), static_cast<unsigned>(stream.Port()), mpeg4.width,
      mpeg4.height, mpeg4Frames.size(), jpeg.width, jpeg.height, jpegFrames.size(), o.level,
      o.seconds);
  std::fflush(stdout);
  vsim::CheckLogins(web);
  const auto lanSearch = vsim::StartLanResponder(web);
  vsim::ReportFirmwareUploads(web);
  if (o.verbose)
    vsim::LogRequests(web);
  // Tells each stream the client asks for (and with --reports each receiver report), as it comes.
  const auto started = std::chrono::steady_clock::now();
  const auto end = started + life;
  std::size_t told = 0;
  std::size_t reportsTold = 0;
  std::uint32_t framesSent = 0;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto requests = stream.Requests();
    for (; told < requests.size(); ++told) {
      std::string commands;
      for (const std::string& command : requests[told].commands)
        commands += (commands.empty() ? "" : ", ") + command;
      std::printf("vsim: stream requested over %s: %s\n", requests[told].udp ? "UDP" : "TCP",
                  commands.c_str());
      std::fflush(stdout);
    }
    const auto datagrams = o.reports ? web.Datagrams() : std::vector<std::string>{};
    for (; reportsTold < datagrams.size(); ++reportsTold) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      const std::uint32_t sent = stream.FramesSent();
      std::printf("vsim: %.1f s receiver report: %s (frames sent since the last one: %u)\n",
                  seconds, vsim::ReportLine(datagrams[reportsTold]).c_str(), sent - framesSent);
      framesSent = sent;
      std::fflush(stdout);
    }
  }
  return 0;
}
