// decode_profile [--mode 1|3] [--forms machine|generic|scalar|sse2|simd|sse-128|sse-avx2|
//                 sse2-128|sse2-avx2|sse3-128|sse3-avx2] [--loops N]
//
// Decodes the D1 P-VOP clip N times (default 1) the way the benchmark does, with no timing of
// its own: a driver for profilers (valgrind --tool=callgrind, perf) that cannot run the
// benchmark library. Mode 1 (the default) is the program's path: the decoder context wrapper's
// 24-bit picture put into a slot; mode 3 the planar decode. Prints the frames decoded.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "clip_decode.h"

using namespace clip_decode;

int main(int argc, char** argv) {
  int mode = 1;
  std::int64_t forms = kMachine;
  long loops = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    const std::string value = argv[i + 1];
    if (arg == "--mode") {
      mode = std::atoi(value.c_str());
    } else if (arg == "--loops") {
      loops = std::atol(value.c_str());
    } else if (arg == "--forms") {
      forms = value == "scalar"      ? kGenericScalar
              : value == "sse2"      ? kGenericSse2
              : value == "simd"      ? kSimd
              : value == "generic"   ? kGeneric
              : value == "sse-128"   ? kSse128
              : value == "sse-avx2"  ? kSseAvx2
              : value == "sse2-128"  ? kSse2_128
              : value == "sse2-avx2" ? kSse2Avx2
              : value == "sse3-128"  ? kSse3_128
              : value == "sse3-avx2" ? kSse3Avx2
                                     : kMachine;
    }
  }
  ScopedForms scoped(forms);
  if (!scoped.Ok() || (mode != 1 && mode != 3)) {
    std::fprintf(stderr, "decode_profile: forms or mode not available\n");
    return 2;
  }
  const auto frames = ClipFrames();
  long decoded = 0;
  if (mode == 1) {
    PictureDecoder decoder;
    for (long loop = 0; loop < loops; ++loop) {
      for (const auto& frame : frames) {
        decoded += decoder.Decode(frame) ? 1 : 0;
      }
    }
  } else {
    PlanarDecoder decoder;
    for (long loop = 0; loop < loops; ++loop) {
      for (const auto& frame : frames) {
        decoded += decoder.Decode(frame) ? 1 : 0;
      }
    }
  }
  std::printf("%ld frames decoded, mode %d, %s\n", decoded, mode, FormLabel(forms));
  return 0;
}
