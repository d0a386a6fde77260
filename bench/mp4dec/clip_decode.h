// The D1 P-VOP clip and the two ways our decoder turns it into pictures, shared by the
// benchmark and the profiling driver: the planar decode through Mp4DecControl (mode 3), and
// the program's path, the decoder context wrapper's 24-bit bottom-up picture (mode 1) put into
// a ring slot as the compose thread has it done. Also the choice of primitive forms for a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "codec/mp4dec/mp4dec.h"
#include "cpu_class/cpu_classes.h"
#include "prim/generic_path.h"
#include "prim/prim_dispatch.h"
#include "prim/simd_path.h"

namespace clip_decode {

inline constexpr const char* kClip = "p_704x576_pan40.m4v";
inline constexpr int kClipWidth = 704;
inline constexpr int kClipHeight = 576;

// Each frame: up to the start code after its VOP start code (headers go with the first).
inline std::vector<std::vector<std::uint8_t>> ClipFrames() {
  std::ifstream file(std::string(FIXTURE_DIR) + "/" + kClip, std::ios::binary);
  const std::vector<std::uint8_t> s((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
  std::vector<std::vector<std::uint8_t>> frames;
  std::size_t start = 0;
  bool inVop = false;
  for (std::size_t i = 0; i + 3 < s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      if (inVop) {
        frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start),
                            s.begin() + static_cast<std::ptrdiff_t>(i));
        start = i;
      }
      inVop = s[i + 3] == 0xB6;
      i += 2;
    }
  }
  if (start < s.size()) {
    frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start), s.end());
  }
  return frames;
}

// The primitive forms a run uses: the ones this machine's dispatch selects, the generic forms
// on one forced path, the SIMD forms (SSE3 index), or the generic forms on the path this
// processor supports (what the dispatch selects on a processor of another vendor; profilers
// that emulate the processor may report a vendor of their own); then each SIMD form on each of
// its paths (its 128-bit code, or the AVX2 path an Intel processor with AVX2 runs).
enum FormChoice : std::int64_t {
  kMachine = 0,
  kGenericScalar,
  kGenericSse2,
  kSimd,
  kGeneric,
  kSse128,
  kSseAvx2,
  kSse2_128,
  kSse2Avx2,
  kSse3_128,
  kSse3Avx2,
  kLastChoice = kSse3Avx2
};

inline const char* FormLabel(std::int64_t choice) {
  switch (choice) {
    case kGenericScalar:
      return "generic forms, scalar path";
    case kGenericSse2:
      return "generic forms, SSE2 path";
    case kSimd:
      return "SIMD forms (SSE3)";
    case kGeneric:
      return "generic forms, widest path";
    case kSse128:
      return "SSE forms, 128-bit path";
    case kSseAvx2:
      return "SSE forms, AVX2 path";
    case kSse2_128:
      return "SSE2 forms, 128-bit path";
    case kSse2Avx2:
      return "SSE2 forms, AVX2 path";
    case kSse3_128:
      return "SSE3 forms, 128-bit path";
    case kSse3Avx2:
      return "SSE3 forms, AVX2 path";
    default:
      return "this machine's forms";
  }
}

// Selects the forms for the length of a run; Ok() is false when this machine cannot run them.
class ScopedForms {
 public:
  explicit ScopedForms(std::int64_t choice) {
    const bool generic = choice == kGenericScalar || choice == kGenericSse2 || choice == kGeneric;
    const PrimCpuSource* source = nullptr;
    if (choice == kSimd || choice == kSse3_128 || choice == kSse3Avx2) {
      source = &cpu_class::kFamily15Sse3Cpu;
    } else if (choice == kSse2_128 || choice == kSse2Avx2) {
      source = &cpu_class::kFamily6Sse2Cpu;
    } else if (choice == kSse128 || choice == kSseAvx2) {
      source = &cpu_class::kFamily6SseCpu;
    } else if (generic) {
      source = &cpu_class::kOtherVendorCpu;
    }
    m_saved = PrimSetCpuSource(source);
    if (choice == kGenericScalar || choice == kGenericSse2) {
      m_ok = PrimForceGenericPath(choice == kGenericScalar ? PrimGenericPath::kScalar
                                                           : PrimGenericPath::kSse2);
    }
    if (choice == kSse128 || choice == kSse2_128 || choice == kSse3_128) {
      m_ok = PrimForceSimdPath(PrimSimdPath::kForm);
    } else if (choice == kSseAvx2 || choice == kSse2Avx2 || choice == kSse3Avx2) {
      m_ok = PrimForceSimdPath(PrimSimdPath::kAvx2);
    }
  }
  ~ScopedForms() {
    PrimSetCpuSource(m_saved);
    PrimForceGenericPath(PrimGenericPathSupported());
    PrimForceSimdPath(PrimSimdPathSupported());
  }
  ScopedForms(const ScopedForms&) = delete;
  ScopedForms& operator=(const ScopedForms&) = delete;
  bool Ok() const { return m_ok; }

 private:
  const PrimCpuSource* m_saved = nullptr;
  bool m_ok = true;
};

// Mode 3: the planar decode through Mp4DecControl into one output buffer.
class PlanarDecoder {
 public:
  PlanarDecoder() {
    Mp4DecBufferSizes sizes{};
    Mp4DecControl(1, kMp4DecCmdQuerySizes, &m_inst, &sizes, kClipWidth, kClipHeight, 0);
    m_frame0.resize(sizes.frameBuffer0);
    m_frame1.resize(sizes.frameBuffer1);
    m_planes.resize(sizes.outputPlanes);
    m_context.resize(sizes.context / sizeof(std::max_align_t) + 1);
    m_tables.resize(sizes.tables / sizeof(std::max_align_t) + 1);
    m_reader.resize(sizes.bitReader / sizeof(std::max_align_t) + 1);
    m_inst.outputMode = kMp4DecModePlanar;
    m_inst.frameBuffer0 = m_frame0.data();
    m_inst.frameBuffer1 = m_frame1.data();
    m_inst.outputPlaneBuffer = m_planes.data();
    m_inst.context = m_context.data();
    m_inst.tables = m_tables.data();
    m_inst.bitReader = m_reader.data();
    Mp4DecControl(1, kMp4DecCmdInit, &m_inst, nullptr, 0, 0, 0);
    m_out.resize(Mp4DecOutputBytes(kMp4DecModePlanar, kClipWidth, kClipHeight, kClipWidth));
    m_io.output = m_out.data();
    m_io.outputSwitch = 1;
    m_io.outputStride = kClipWidth;
  }

  bool Decode(const std::vector<std::uint8_t>& frame) {
    m_io.input = frame.data();
    m_io.inputLength = static_cast<std::int32_t>(frame.size());
    return Mp4DecControl(1, kMp4DecCmdDecode, &m_io, &m_inst, 0, 0, 0) == kMp4DecOk;
  }
  const std::uint8_t* Output() const { return m_out.data(); }

 private:
  Mp4DecInstance m_inst;
  Mp4DecFrameIo m_io;
  std::vector<std::uint8_t> m_frame0, m_frame1, m_planes, m_out;
  std::vector<std::max_align_t> m_context, m_tables, m_reader;
};

// Mode 1 as the program runs it: the wrapper's deinterlaced, bottom-up 24-bit picture, put into
// a picture slot as the compose thread has it done.
class PictureDecoder {
 public:
  PictureDecoder() : m_slot(kMpeg4PictureBytes) {
    m_open = m_decoder.AllocateBuffers() == 1 && m_decoder.Open(kClipWidth, kClipHeight, 0);
  }

  bool IsOpen() const { return m_open; }
  bool Decode(const std::vector<std::uint8_t>& frame) {
    return m_decoder.DecodeFrameInto(frame.data(), static_cast<std::uint32_t>(frame.size()),
                                     m_slot);
  }
  const std::uint8_t* Output() const { return m_slot.data(); }

 private:
  CMpeg4DecoderContext m_decoder;
  std::vector<std::uint8_t> m_slot;
  bool m_open = false;
};

}  // namespace clip_decode
