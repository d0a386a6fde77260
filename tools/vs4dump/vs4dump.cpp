// vs4dump FILE [--frames]: checks a .vs4 record file and prints its header, and with --frames
// one line per frame (number, offset, length, kind, interval, time). Exit status 1 when the
// file cannot be read or is not a valid record file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "media/record/vs4_format.h"

namespace {

void PrintTime(const SystemTime& t) {
  std::printf("%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
              t.wSecond);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vs4dump FILE [--frames]\n");
    return 2;
  }
  const bool frames = argc > 2 && std::strcmp(argv[2], "--frames") == 0;
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "vs4dump: cannot open %s\n", argv[1]);
    return 1;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  Vs4ReadError error{};
  const auto file = ReadVs4(bytes, &error);
  if (!file) {
    std::fprintf(stderr, "vs4dump: %s: %s\n", argv[1], Vs4ReadErrorName(error));
    return 1;
  }
  const Vs4FileHeader& h = file->header;
  std::printf(
      "frames %u, seconds %u..%u, server %u.%u.%u.%u, kind %u, resolution %u, av %u, "
      "format %s\nfirst frame ",
      h.dwFrameCount, h.dwStartSecond, h.dwEndSecond, h.abyServerAddress[0], h.abyServerAddress[1],
      h.abyServerAddress[2], h.abyServerAddress[3], h.byRecordKind, h.byResolution, h.byAvOption,
      h.dwFormatTag == kVs4FormatMpeg4  ? "MPEG-4"
      : h.dwFormatTag == kVs4FormatJpeg ? "JPEG"
                                        : "?");
  PrintTime(h.FirstFrameTime);
  std::printf("\n");
  if (frames) {
    for (std::size_t i = 0; i < file->frames.size(); ++i) {
      const Vs4Frame& f = file->frames[i];
      std::printf("%6u at %10llu length %6u kind %u interval %5u ", f.descriptor.dwNumber,
                  static_cast<unsigned long long>(f.offset), f.descriptor.dwLength,
                  file->index[i].dwKind, f.descriptor.dwInterval);
      PrintTime(f.descriptor.StoreTime);
      std::printf("\n");
    }
  }
  return 0;
}
