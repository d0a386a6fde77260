// vsim: a simulated video server on 127.0.0.1. It answers the login and CGI requests on a web
// port and streams a looping fixture clip (MPEG-4 or JPEG, with an audio stream) on its stream
// port, over TCP and UDP, until its run time is over.
//
//   vsim [--jpeg] [--clip FILE] [--width W --height H] [--level N] [--interval MS]
//        [--seconds N] [--off-row-config]
//
// It serves and stores the sample configuration records (--off-row-config: the sample with
// values no row of the configuration pages stands for). --level is the USER-LEVEL of the stream
// reply (30 by default, the level the firmware upgrade needs). It answers the LAN search on UDP
// 7777 and takes firmware uploads, printing what it receives.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fakes/fake_config_server.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "vsim_device_tools.h"

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
    } else if (arg == "--seconds" && hasValue) {
      o.seconds = std::atol(argv[++i]);
    } else {
      return false;
    }
  }
  if (o.clip.empty()) {
    o.clip = std::string(VSIM_DATA_DIR) + (o.jpeg ? "/clip_352x288.mjpeg" : "/clip_176x144.m4v");
    if (o.width == 0)
      o.width = o.jpeg ? 352 : 176;
    if (o.height == 0)
      o.height = o.jpeg ? 288 : 144;
  }
  return o.width > 0 && o.height > 0 && o.level >= 0 && o.intervalMs >= 0 && o.seconds > 0 &&
         o.seconds <= kMaxSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: vsim [--jpeg] [--clip FILE --width W --height H] [--level N] "
                 "[--interval MS] [--seconds N (1..%ld)] [--off-row-config]\n",
                 kMaxSeconds);
    return 2;
  }
  const fakes::ByteVector bytes = fakes::ReadFile(o.clip.c_str());
  auto clip = o.jpeg ? fakes::JpegClip(bytes) : fakes::Mpeg4Clip(bytes);
  if (clip.empty()) {
    std::fprintf(stderr, "vsim: no frames in %s\n", o.clip.c_str());
    return 1;
  }
  const std::chrono::seconds life(o.seconds);
  fakes::FakeStreamServer stream(life);
  stream.SetVideoClip(clip);
  stream.SetAudioClip(fakes::AudioClip(64, 512));
  stream.SetFrameInterval(std::chrono::milliseconds(o.intervalMs));
  const auto frameMs = static_cast<long>(o.intervalMs > 0 ? o.intervalMs : 1);
  stream.SetLoops(
      static_cast<std::uint32_t>(o.seconds * 1000 / frameMs / static_cast<long>(clip.size()) + 1));

  fakes::FakeVideoServer web(life);
  if (o.offRowConfig)
    fakes::ServeConfig(web, fakes::OffRowConfig());
  const std::string size = std::to_string(o.width) + ";MPEG4-HEIGHT=" + std::to_string(o.height);
  web.SetStreamReply(std::string("VIDEO-FORMAT=") + (o.jpeg ? "0" : "4") +
                     ";USER-LEVEL=" + std::to_string(o.level) +
                     ";LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
                     "DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=" +
                     size + ";JPEG-WIDTH=" + std::to_string(o.width) +
                     ";JPEG-HEIGHT=" + std::to_string(o.height) +
                     ";STREAM-PORT=" + std::to_string(stream.Port()) + ";");
  std::printf("vsim: 127.0.0.1 web port %u, stream port %u, %zu %s frames, %ld s\n",
              static_cast<unsigned>(web.WebPort()), static_cast<unsigned>(stream.Port()),
              clip.size(), o.jpeg ? "JPEG" : "MPEG-4", o.seconds);
  std::fflush(stdout);
  const auto lanSearch = vsim::StartLanResponder(web);
  vsim::ReportFirmwareUploads(web);
  std::this_thread::sleep_for(life);
  return 0;
}
