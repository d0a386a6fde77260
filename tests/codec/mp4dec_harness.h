// Test helpers for the MPEG-4 decoder: an MSB-first bit writer for crafted streams and a
// decoder instance that owns its zeroed blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/mp4dec.h"

class BitWriter {
 public:
  BitWriter& Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      PutBit((value >> i) & 1);
    }
    return *this;
  }
  BitWriter& Code(const char* code) {
    for (const char* p = code; *p != 0; ++p) {
      PutBit(*p == '1' ? 1 : 0);
    }
    return *this;
  }
  // next_start_code stuffing: a 0, then 1s to the byte boundary (a whole 0x7F when aligned).
  BitWriter& Stuff() {
    PutBit(0);
    while (m_bits % 8 != 0) {
      PutBit(1);
    }
    return *this;
  }
  BitWriter& AlignZero() {
    while (m_bits % 8 != 0) {
      PutBit(0);
    }
    return *this;
  }
  BitWriter& Bytes(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
      Put(b, 8);
    }
    return *this;
  }
  std::size_t BitCount() const { return m_bits; }
  const std::vector<std::uint8_t>& Data() const { return m_data; }

 private:
  void PutBit(std::uint32_t bit) {
    if (m_bits % 8 == 0) {
      m_data.push_back(0);
    }
    if (bit != 0) {
      m_data.back() |= static_cast<std::uint8_t>(0x80 >> (m_bits % 8));
    }
    ++m_bits;
  }
  std::vector<std::uint8_t> m_data;
  std::size_t m_bits = 0;
};

// One decoder with its blocks, zeroed and initialised as a caller would.
class DecoderHarness {
 public:
  DecoderHarness(int width, int height, int mode, int referenceMode) {
    Mp4DecBufferSizes sizes{};
    m_querySizes = Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, width, height, 0);
    if (m_querySizes != kMp4DecOk) {
      return;
    }
    frame0.assign(sizes.frameBuffer0, 0);
    frame1.assign(sizes.frameBuffer1, 0);
    planes.assign(sizes.outputPlanes, 0);
    context.assign(sizes.context / sizeof(std::max_align_t) + 1, std::max_align_t{});
    tables.assign(sizes.tables / sizeof(std::max_align_t) + 1, std::max_align_t{});
    reader.assign(sizes.bitReader / sizeof(std::max_align_t) + 1, std::max_align_t{});
    ZeroBlocks();
    inst.outputMode = mode;
    inst.frameBuffer0 = frame0.data();
    inst.frameBuffer1 = frame1.data();
    inst.outputPlaneBuffer = planes.data();
    inst.context = context.data();
    inst.tables = tables.data();
    inst.bitReader = reader.data();
    initResult = Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, referenceMode);
    output.assign(Mp4DecOutputBytes(mode, width, height, width) + 64, 0xCD);
  }

  void ZeroBlocks() {
    std::fill(reinterpret_cast<std::uint8_t*>(context.data()),
              reinterpret_cast<std::uint8_t*>(context.data() + context.size()), 0);
    std::fill(reinterpret_cast<std::uint8_t*>(tables.data()),
              reinterpret_cast<std::uint8_t*>(tables.data() + tables.size()), 0);
    std::fill(reinterpret_cast<std::uint8_t*>(reader.data()),
              reinterpret_cast<std::uint8_t*>(reader.data() + reader.size()), 0);
  }

  std::int32_t Decode(const std::uint8_t* data, std::size_t length, bool outputOn = true) {
    Mp4DecFrameIo io;
    io.output = output.data();
    io.input = data;
    io.inputLength = static_cast<std::int32_t>(length);
    io.outputSwitch = outputOn ? 1 : 0;
    io.outputStride = inst.width;
    return Mp4DecControl(1, kMp4DecCmdDecode, &io, &inst, 0, 0, 0);
  }
  std::int32_t Decode(const std::vector<std::uint8_t>& data, bool outputOn = true) {
    return Decode(data.data(), data.size(), outputOn);
  }

  Mp4DecContext& Ctx() { return ContextOf(inst); }

  Mp4DecInstance inst;
  std::int32_t initResult = -1;
  std::vector<std::uint8_t> frame0, frame1, planes, output;
  std::vector<std::max_align_t> context, tables, reader;

 private:
  std::int32_t m_querySizes = -1;
};

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Frames of an elementary stream, one VOP each with its preceding headers.
inline std::vector<std::vector<std::uint8_t>> SplitFrames(const std::vector<std::uint8_t>& s) {
  std::vector<std::vector<std::uint8_t>> frames;
  std::size_t start = 0;
  bool inVop = false;
  for (std::size_t i = 0; i + 3 < s.size(); ++i) {
    if (s[i] != 0 || s[i + 1] != 0 || s[i + 2] != 1) {
      continue;
    }
    if (inVop) {
      frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start),
                          s.begin() + static_cast<std::ptrdiff_t>(i));
      start = i;
      inVop = false;
    }
    inVop = s[i + 3] == 0xB6;
    i += 2;
  }
  if (start < s.size()) {
    frames.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(start), s.end());
  }
  return frames;
}
