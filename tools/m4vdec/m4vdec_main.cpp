// m4vdec [--mode N] [--ref-mode 0|1] [--cpu generic|sse|sse2|sse3] INPUT > OUTPUT
//
// Decodes an MPEG-4 elementary stream frame by frame through Mp4DecControl and writes every
// decoded picture to standard output: mode 3 (the default) as raw yuv420p (Y, U, V), other
// modes as the converter's bytes. One line per frame on standard error: index, VOP type,
// result, and for a refused frame where the decoder found it damaged (bit position in the
// frame, layer, macroblock and block, what was wrong). Exit status 0 once the input was read,
// whatever frames were refused.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/mp4dec/mp4dec.h"
#include "cpu_class/cpu_classes.h"
#include "frame_splitter.h"
#include "prim/prim_dispatch.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: m4vdec [--mode N] [--ref-mode 0|1] [--cpu generic|sse|sse2|sse3] "
               "INPUT > OUTPUT\n");
  return 2;
}

char VopTypeOf(const std::uint8_t* frame, std::size_t length) {
  for (std::size_t i = 0; i + 4 < length; ++i) {
    if (frame[i] == 0 && frame[i + 1] == 0 && frame[i + 2] == 1 && frame[i + 3] == 0xB6) {
      return "IPBS"[frame[i + 4] >> 6];
    }
  }
  return '-';
}

// " refused at bit 812 of 1400: block 2 of macroblock 5,3: input ended", or nothing when the
// decoder recorded no damage.
std::string DamageText(const Mp4DecDamage& d, std::size_t frameLength) {
  if (d.layer == Mp4DecLayer::kNone) {
    return {};
  }
  std::string where = Mp4DecLayerName(d.layer);
  if (d.block >= 0) {
    where += " " + std::to_string(d.block);
  }
  if (d.mbX >= 0) {
    where += (d.layer == Mp4DecLayer::kMacroblock ? " " : " of macroblock ") +
             std::to_string(d.mbX) + "," + std::to_string(d.mbY);
  }
  return " refused at bit " + std::to_string(d.bitPosition) + " of " +
         std::to_string(8 * frameLength) + ": " + where + ": " + Mp4DecFaultName(d.fault);
}

// Writes a mode-3 picture (Y, V, U) as yuv420p (Y, U, V).
void WritePlanar(const std::vector<std::uint8_t>& out, int width, int height) {
  const std::size_t luma = static_cast<std::size_t>(width) * height;
  const std::size_t chroma = static_cast<std::size_t>(width / 2) * (height / 2);
  std::fwrite(out.data(), 1, luma, stdout);
  std::fwrite(out.data() + luma + luma / 4, 1, chroma, stdout);
  std::fwrite(out.data() + luma, 1, chroma, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int mode = kMp4DecModePlanar;
  int referenceMode = 0;
  const char* input = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--mode" && i + 1 < argc) {
      mode = std::atoi(argv[++i]);
    } else if (arg == "--ref-mode" && i + 1 < argc) {
      referenceMode = std::atoi(argv[++i]);
    } else if (arg == "--cpu" && i + 1 < argc) {
      // The class's processor: the decoder's detection, on every call, selects its forms.
      const cpu_class::CpuClass* cpu = cpu_class::FindCpuClass(argv[++i]);
      if (cpu == nullptr) {
        return Usage();
      }
      PrimSetCpuSource(cpu->cpu);
    } else if (input == nullptr && !arg.starts_with("--")) {
      input = argv[i];
    } else {
      return Usage();
    }
  }
  if (input == nullptr || mode < 1 || mode > 11) {
    return Usage();
  }
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "m4vdec: cannot read %s\n", input);
    return 1;
  }
  const std::vector<std::uint8_t> stream((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());

  // The layer's whole size: the stream-info word holds 12 bits of each, so a 4800-wide layer
  // would read there as 4095 wide, and be refused under a size it does not have.
  const std::size_t vo = FindVideoObject(stream);
  Mp4DecStreamSize size;
  if (vo >= stream.size() ||
      !Mp4DecReadStreamSize(
          stream.data() + vo,
          static_cast<std::int32_t>(std::min<std::size_t>(stream.size() - vo, INT32_MAX)), &size)) {
    std::fprintf(stderr, "m4vdec: no video object layer with a picture size in %s\n", input);
    return 1;
  }
  const int width = size.width;
  const int height = size.height;

  Mp4DecInstance inst;
  Mp4DecBufferSizes sizes{};
  if (Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, width, height, 0) != kMp4DecOk) {
    std::fprintf(stderr, "m4vdec: picture size %dx%d refused\n", width, height);
    return 1;
  }
  std::vector<std::uint8_t> frame0(sizes.frameBuffer0);
  std::vector<std::uint8_t> frame1(sizes.frameBuffer1);
  std::vector<std::uint8_t> planes(sizes.outputPlanes);
  std::vector<std::max_align_t> context(sizes.context / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> tables(sizes.tables / sizeof(std::max_align_t) + 1);
  std::vector<std::max_align_t> reader(sizes.bitReader / sizeof(std::max_align_t) + 1);
  inst.outputMode = mode;
  inst.frameBuffer0 = frame0.data();
  inst.frameBuffer1 = frame1.data();
  inst.outputPlaneBuffer = planes.data();
  inst.context = context.data();
  inst.tables = tables.data();
  inst.bitReader = reader.data();
  if (Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, referenceMode) != kMp4DecOk) {
    std::fprintf(stderr, "m4vdec: initialisation refused\n");
    return 1;
  }
  const int stride = width;
  std::vector<std::uint8_t> out(Mp4DecOutputBytes(mode, width, height, stride));
  const std::vector<M4vFrame> frames = SplitM4vFrames(stream);
  for (std::size_t k = 0; k < frames.size(); ++k) {
    const std::uint8_t* bytes = stream.data() + frames[k].offset;
    Mp4DecFrameIo io;
    io.output = out.data();
    io.input = bytes;
    io.inputLength = static_cast<std::int32_t>(frames[k].length);
    io.outputSwitch = 1;
    io.outputStride = stride;
    const std::int32_t result = Mp4DecControl(1, kMp4DecCmdDecode, &io, &inst, 0, 0, 0);
    const std::string damage =
        result == kMp4DecOk ? std::string() : DamageText(Mp4DecLastDamage(inst), frames[k].length);
    std::fprintf(stderr, "%zu %c %d%s\n", k, VopTypeOf(bytes, frames[k].length), result,
                 damage.c_str());
    if (result != kMp4DecOk) {
      continue;
    }
    if (mode == kMp4DecModePlanar) {
      WritePlanar(out, width, height);
    } else {
      std::fwrite(out.data(), 1, out.size(), stdout);
    }
  }
  return 0;
}
