// vs4dump FILE [--frames]: checks a .vs4 record file and prints its header, and with --frames
// one line per frame (number, offset, length, kind, interval, time). Exit status 1 when the
// file cannot be read, is not a valid record file, or is not a good record (no frames, or an
// interval no recorder writes), each fault named on its own line.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "vs4dump_report.h"

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
  const vs4dump::Report report = vs4dump::DumpVs4(argv[1], bytes, frames);
  std::fputs(report.out.c_str(), stdout);
  std::fputs(report.err.c_str(), stderr);
  return report.status;
}
