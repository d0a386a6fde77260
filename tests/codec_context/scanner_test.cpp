// Start-code scanners over crafted frames: the PES frame header, the time stamp / picture size /
// VOP type scan, the PES time-stamp reader and the mu-law expander. Short frames, codes cut at
// the end of the buffer, misaligned codes and wrong marks must give the failure results and
// never read past the length given (the sanitizer build checks the last part: every buffer
// here is exactly as long as the length passed).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "codec/context/stream_scanners.h"
#include "fakes/mpeg4_vol.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A heap copy of exactly `bytes.size()` bytes, so a read past the end is caught by ASan.
std::unique_ptr<std::uint8_t[]> Exact(const Bytes& bytes) {
  auto copy = std::make_unique<std::uint8_t[]>(bytes.size() == 0 ? 1 : bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return copy;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// A 27-byte frame header: stream id, then zeros with b21..b26 as given.
Bytes FrameHeader(std::uint8_t id, std::array<std::uint8_t, 6> tail) {
  Bytes frame(27, 0);
  frame[2] = 1;
  frame[3] = id;
  std::copy(tail.begin(), tail.end(), frame.begin() + 21);
  return frame;
}

struct FrameHeaderCase {
  std::string name;
  Bytes frame;
  std::uint32_t length;  // passed to the scanner; the buffer is exactly frame.size()
  int result;
  // The fields read; only looked at when result is 0.
  std::uint32_t streamNumber = 0, frameLength = 0, secondValue = 0, kind = 0;
};

class ScanFrameHeaderTest : public ::testing::TestWithParam<FrameHeaderCase> {};

TEST_P(ScanFrameHeaderTest, ReadsTheFixedFieldsOnlyWhenTheyAreThere) {
  const FrameHeaderCase& c = GetParam();
  const auto buffer = Exact(c.frame);
  std::uint32_t stream = 77, length = 77, second = 77, kind = 77;
  EXPECT_EQ(CMpeg4DecoderContext::ScanFrameHeader(c.length, buffer.get(), &stream, &length, &second,
                                                  &kind),
            c.result);
  if (c.result == 0) {
    EXPECT_EQ(stream, c.streamNumber);
    EXPECT_EQ(length, c.frameLength);
    EXPECT_EQ(second, c.secondValue);
    EXPECT_EQ(kind, c.kind);
  }
}

std::vector<FrameHeaderCase> FrameHeaderCases() {
  const Bytes video = FrameHeader(0xE0, {0, 0, 0, 0x80, 0x08, 0x10});
  Bytes cut = video;
  cut.resize(26);
  return {
      // Marker bits (top of b24, bit 3 of b25) are skipped.
      {"MarkerBitsIgnored", video, 27, 0, 0, 16, 0, 0},
      {"AllFieldBits", FrameHeader(0xE1, {0xFF, 0xF7, 0xFF, 0x7F, 0xF7, 0xFF}), 27, 0, 1, 0x3FFFFF,
       0x3FFFFF, 0},
      {"SecondValue", FrameHeader(0xD0, {0x01, 0x12, 0x34, 0, 0, 5}), 27, 0, 0, 5,
       (1u << 15) | (0x10u << 7) | (2u << 8) | 0x34, 0},
      {"JpegStream1", FrameHeader(0xD1, {}), 27, 0, 1, 0, 0, 0},
      {"AudioKind1", FrameHeader(0xC0, {0, 0, 0, 0, 0, 9}), 27, 0, 0, 9, 0, 1},
      {"PackHeaderRefused", FrameHeader(0xBA, {}), 27, -1},
      {"OtherVideoIdRefused", FrameHeader(0xE2, {}), 27, -1},
      {"OtherAudioIdRefused", FrameHeader(0xC1, {}), 27, -1},
      {"VopCodeRefused", FrameHeader(0xB6, {}), 27, -1},
      {"NoStartCode", Concat({Bytes{0, 1, 1, 0xE0}, Bytes(23, 0)}), 27, -1},
      {"MisalignedStartCode", Concat({Bytes{0xFF, 0, 0, 1, 0xE0}, Bytes(22, 0)}), 27, -1},
      {"FieldsCutOff", cut, 26, -1},
      {"OnlyTheCode", Bytes{0, 0, 1, 0xE0, 0}, 5, -1},
      {"Empty", Bytes{}, 0, -1},
  };
}

INSTANTIATE_TEST_SUITE_P(Frames, ScanFrameHeaderTest, ::testing::ValuesIn(FrameHeaderCases()),
                         [](const auto& info) { return info.param.name; });

TEST(ScanFrameHeaderTest, NullOutputsAndNullFrameAreSafe) {
  const Bytes frame = FrameHeader(0xE0, {0, 0, 0, 0, 0, 1});
  EXPECT_EQ(
      CMpeg4DecoderContext::ScanFrameHeader(27, frame.data(), nullptr, nullptr, nullptr, nullptr),
      0);
  EXPECT_EQ(CMpeg4DecoderContext::ScanFrameHeader(27, nullptr, nullptr, nullptr, nullptr, nullptr),
            -1);
}

// PES header of a video packet carrying a PTS (and a DTS when `dts` is set). The stamps are
// 33-bit values written with their marker bits.
Bytes PesHeader(std::uint64_t pts, std::optional<std::uint64_t> dts = std::nullopt,
                std::uint8_t id = 0xE0) {
  auto stamp = [](std::uint8_t prefix, std::uint64_t v) {
    return Bytes{static_cast<std::uint8_t>(prefix << 4 | ((v >> 30) & 7) << 1 | 1),
                 static_cast<std::uint8_t>(v >> 22), static_cast<std::uint8_t>((v >> 14) | 1),
                 static_cast<std::uint8_t>(v >> 7), static_cast<std::uint8_t>((v << 1) | 1)};
  };
  Bytes pes{0,
            0,
            1,
            id,
            0,
            0,
            0x80,
            static_cast<std::uint8_t>(dts ? 0xC0 : 0x80),
            static_cast<std::uint8_t>(dts ? 10 : 5)};
  const Bytes first = stamp(dts ? 3 : 2, pts);
  pes.insert(pes.end(), first.begin(), first.end());
  if (dts) {
    const Bytes second = stamp(1, *dts);
    pes.insert(pes.end(), second.begin(), second.end());
  }
  return pes;
}

Bytes Vop(std::uint8_t firstByte) {
  return {0, 0, 1, 0xB6, firstByte, 0x12, 0x34};
}

// A video object start code and a 176 x 144 layer (rectangular, 1-bit time increment).
Bytes VideoObjectLayer() {
  // Bits after 00 00 01 20: random_accessible 0, type 00000001, is_ol_identifier 0,
  // aspect 0001, vol_control 0, shape 00, marker 1, resolution 0000000000000001, marker 1,
  // fixed_vop_rate 0, marker 1, width 176 (13 bits), marker 1, height 144, marker 1,
  // interlaced 0, obmc_disable 1, sprite 0, not_8_bit 0, quant_type 0, complexity 1,
  // resync_disable 1, data_partitioned 0, scalability 0, stuffing.
  const char* bits =
      "0"
      "00000001"
      "0"
      "0001"
      "0"
      "00"
      "1"
      "0000000000000001"
      "1"
      "0"
      "1"
      "0000010110000"
      "1"
      "0000010010000"
      "1"
      "0"
      "1"
      "0"
      "0"
      "0"
      "1"
      "1"
      "0"
      "0";
  Bytes out{0, 0, 1, 0x00, 0, 0, 1, 0x20};
  std::uint8_t byte = 0;
  int count = 0;
  for (const char* p = bits; *p != 0; ++p) {
    byte = static_cast<std::uint8_t>(byte << 1 | (*p == '1' ? 1 : 0));
    if (++count == 8) {
      out.push_back(byte);
      byte = 0;
      count = 0;
    }
  }
  // next_start_code stuffing: 0 then ones to the boundary.
  byte = static_cast<std::uint8_t>(byte << 1);
  ++count;
  while (count < 8) {
    byte = static_cast<std::uint8_t>(byte << 1 | 1);
    ++count;
  }
  out.push_back(byte);
  return out;
}

struct StreamCase {
  std::string name;
  Bytes buffer;
  std::uint32_t flags;      // from ScanStream
  std::uint32_t mpegFlags;  // from ScanMpegStream
  std::uint32_t pts, width, height, vopType;
};

class ScanStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ScanStreamTest, FindsStampSizeAndTypeWithinTheLength) {
  const StreamCase& c = GetParam();
  const auto buffer = Exact(c.buffer);
  const auto length = static_cast<std::int32_t>(c.buffer.size());
  std::uint32_t pts = 99, width = 99, height = 99, unused = 99, vopType = 99;
  EXPECT_EQ(CMpeg4DecoderContext::ScanStream(buffer.get(), length, &pts, &width, &height, &unused,
                                             &vopType),
            c.flags);
  EXPECT_EQ(pts, c.pts);
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
  EXPECT_EQ(vopType, c.vopType);
  EXPECT_EQ(unused, 0u);

  pts = width = height = vopType = 99;
  EXPECT_EQ(ScanMpegStream(buffer.get(), length, &pts, &width, &height, &unused, &vopType),
            c.mpegFlags);
  EXPECT_EQ(width, 0u);
  EXPECT_EQ(height, 0u);
  if ((c.mpegFlags & kScanFoundVopType) != 0) {
    EXPECT_EQ(vopType, c.vopType);
  }
  if ((c.mpegFlags & kScanFoundTimeStamp) != 0) {
    EXPECT_EQ(pts, c.pts);
  }
}

std::vector<StreamCase> StreamCases() {
  const Bytes pes = PesHeader(0x12345678);
  Bytes pesCut = pes;
  pesCut.resize(pes.size() - 1);
  const Bytes both = PesHeader(0x1000, 0x1FFFFFFFFull);
  Bytes bothCut = both;
  bothCut.resize(both.size() - 1);
  Bytes noStamp = PesHeader(1);
  noStamp[7] = 0x00;
  Bytes wrongMark = PesHeader(1);
  wrongMark[7] = 0x40;  // "01": forbidden, no stamp taken
  const Bytes vol = VideoObjectLayer();
  return {
      // A PES header with a PTS only, then a P-VOP: flags 9, type 2.
      {"PtsThenPVop", Concat({pes, Vop(0x40)}), 9, 9, 0x12345678, 0, 0, 2},
      // With PTS and DTS the second stamp is taken; the 33rd bit is dropped.
      {"DtsTaken", Concat({both, Vop(0x00)}), 9, 9, 0xFFFFFFFF, 0, 0, 1},
      {"BVop", Vop(0x80), 8, 8, 0, 0, 0, 3},
      {"SVop", Vop(0xC0), 8, 8, 0, 0, 0, 4},
      {"AudioPes", Concat({PesHeader(90000, std::nullopt, 0xC0)}), 1, 1, 90000, 0, 0, 0},
      {"JpegPes", Concat({PesHeader(7, std::nullopt, 0xD0)}), 1, 1, 7, 0, 0, 0},
      {"NoStampFlags", Concat({noStamp, Vop(0x40)}), 8, 8, 0, 0, 0, 2},
      {"WrongStampMark", Concat({wrongMark, Vop(0x40)}), 8, 8, 0, 0, 0, 2},
      {"VolGivesSize", Concat({vol, Vop(0x00)}), 10, 8, 0, 176, 144, 1},
      {"PesVolVop", Concat({pes, vol, Vop(0x40)}), 11, 9, 0x12345678, 176, 144, 2},
      // Codes whose fixed fields run past the end stop the scan.
      {"StampCutOff", pesCut, 0, 0, 0, 0, 0, 0},
      {"DtsCutOff", bothCut, 0, 0, 0, 0, 0, 0},
      {"PesFlagsCutOff", Bytes{0, 0, 1, 0xE0, 0, 0, 0x80}, 0, 0, 0, 0, 0, 0},
      {"VopTypeCutOff", Bytes{0, 0, 1, 0xB6}, 0, 0, 0, 0, 0, 0},
      {"StampThenVopCut", Concat({pes, Bytes{0, 0, 1, 0xB6}}), 1, 1, 0x12345678, 0, 0, 0},
      {"LayerCutShort", Bytes(vol.begin(), vol.begin() + 12), 0, 0, 0, 0, 0, 0},
      // Two zero bytes and 01 at the very start are not a start code.
      {"TwoByteCodeAtStart", Bytes{0, 1, 0xB6, 0x40}, 0, 0, 0, 0, 0, 0},
      {"MisalignedVop", Bytes{0, 0, 2, 0xB6, 0x40, 0, 1, 0xB6}, 0, 0, 0, 0, 0, 0},
      {"Garbage", Bytes{0xFF, 0x00, 0x00, 0x02, 0x01, 0xB6, 0x00}, 0, 0, 0, 0, 0, 0},
      {"Empty", Bytes{}, 0, 0, 0, 0, 0, 0},
  };
}

INSTANTIATE_TEST_SUITE_P(Frames, ScanStreamTest, ::testing::ValuesIn(StreamCases()),
                         [](const auto& info) { return info.param.name; });

// A video object without a layer: the decoder finds no size and the stream scan stops there;
// the scan that does not ask for sizes goes on to the VOP.
TEST(ScanStreamTest, VideoObjectWithoutLayerEndsOnlyTheSizeScan) {
  const Bytes frame = Concat({Bytes{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}, Vop(0x40)});
  const auto length = static_cast<std::int32_t>(frame.size());
  std::uint32_t width = 9, vopType = 9;
  EXPECT_EQ(CMpeg4DecoderContext::ScanStream(frame.data(), length, nullptr, &width, nullptr,
                                             nullptr, &vopType),
            0u);
  EXPECT_EQ(width, 0u);
  EXPECT_EQ(vopType, 0u);
  EXPECT_EQ(ScanMpegStream(frame.data(), length, nullptr, nullptr, nullptr, nullptr, &vopType),
            kScanFoundVopType);
  EXPECT_EQ(vopType, 2u);
}

// A layer's size is 13 bits a side, the decoder's packed stream-info word 12: a size of 4096
// or more is found whole (so that the size check sees it too large), never modulo 4096 (4800
// would read as 704 and pass a check for 720).
TEST(ScanStreamTest, LayerSizesOf4096OrMoreAreFoundWhole) {
  struct Case {
    std::uint32_t width, height;
  };
  for (const Case c : {Case{176, 144}, Case{720, 576}, Case{4095, 4095}, Case{4096, 576},
                       Case{4800, 576}, Case{704, 4096}, Case{704, 4672}, Case{8191, 8191}}) {
    const Bytes frame = Concat({PesHeader(42), fakes::KeyFrameHeadersOfSize(c.width, c.height)});
    const auto copy = Exact(frame);
    std::uint32_t width = 0, height = 0, vopType = 9;
    EXPECT_EQ(CMpeg4DecoderContext::ScanStream(copy.get(), static_cast<std::int32_t>(frame.size()),
                                               nullptr, &width, &height, nullptr, &vopType),
              kScanFoundTimeStamp | kScanFoundPictureSize | kScanFoundVopType)
        << c.width << "x" << c.height;
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(vopType, kScanVopI);
  }
}

TEST(ScanStreamTest, NullBufferAndNegativeLengthFindNothing) {
  std::uint32_t pts = 5, vopType = 5;
  EXPECT_EQ(
      CMpeg4DecoderContext::ScanStream(nullptr, 10, &pts, nullptr, nullptr, nullptr, &vopType), 0u);
  EXPECT_EQ(pts, 0u);
  EXPECT_EQ(vopType, 0u);
  const Bytes vop = Vop(0x40);
  EXPECT_EQ(ScanMpegStream(vop.data(), -1, nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
}

TEST(ScanStreamTest, WrapperDecodeRunsTheStreamScan) {
  CMpeg4DecoderContext context;
  const Bytes frame = Concat({PesHeader(42), VideoObjectLayer(), Vop(0x40)});
  std::uint32_t pts = 0, width = 0, height = 0, unused = 0, vopType = 0;
  EXPECT_EQ(context.Decode(frame.data(), static_cast<std::int32_t>(frame.size()), &pts, &width,
                           &height, &unused, &vopType),
            11u);
  EXPECT_EQ(pts, 42u);
  EXPECT_EQ(width, 176u);
  EXPECT_EQ(vopType, 2u);
}

struct PesStampCase {
  std::string name;
  Bytes pes;
  std::uint32_t stamp;
};

class ReadPesTimeStampTest : public ::testing::TestWithParam<PesStampCase> {};

TEST_P(ReadPesTimeStampTest, ChecksMarksAndLength) {
  const PesStampCase& c = GetParam();
  const auto buffer = Exact(c.pes);
  EXPECT_EQ(ReadPesTimeStamp(std::span<const std::uint8_t>(buffer.get(), c.pes.size())), c.stamp);
}

std::vector<PesStampCase> PesStampCases() {
  const Bytes pts = PesHeader(0x87654321);
  const Bytes both = PesHeader(5, 0x1ABCDEF01ull);
  auto with = [](Bytes b, std::size_t i, std::uint8_t v) {
    b[i] = v;
    return b;
  };
  return {
      {"Pts", pts, 0x87654321},
      {"DtsWhenBoth", both, 0xABCDEF01},
      {"PtsCutShort", Bytes(pts.begin(), pts.end() - 1), 0},
      {"DtsCutShort", Bytes(both.begin(), both.end() - 1), 0},
      {"AudioIdRefused", with(pts, 3, 0xC0), 0},
      {"NoStartCode", with(pts, 2, 2), 0},
      {"Mpeg1Flags", with(pts, 6, 0x40), 0},
      {"NoStamp", with(pts, 7, 0x00), 0},
      {"ForbiddenFlags", with(pts, 7, 0x40), 0},
      {"PtsPrefixWrong", with(pts, 9, static_cast<std::uint8_t>(pts[9] ^ 0x10)), 0},
      {"PtsMarkerMissing", with(pts, 11, static_cast<std::uint8_t>(pts[11] & 0xFE)), 0},
      {"PtsLastMarkerMissing", with(pts, 13, static_cast<std::uint8_t>(pts[13] & 0xFE)), 0},
      {"DtsPrefixWrong", with(both, 14, static_cast<std::uint8_t>(both[14] ^ 0x30)), 0},
      {"DtsMarkerMissing", with(both, 16, static_cast<std::uint8_t>(both[16] & 0xFE)), 0},
      {"DtsLastMarkerMissing", with(both, 18, static_cast<std::uint8_t>(both[18] & 0xFE)), 0},
      {"Empty", Bytes{}, 0},
  };
}

INSTANTIATE_TEST_SUITE_P(Headers, ReadPesTimeStampTest, ::testing::ValuesIn(PesStampCases()),
                         [](const auto& info) { return info.param.name; });

TEST(MuLawToLinearTest, ExpandsTheG711Table) {
  struct Case {
    std::uint8_t in;
    std::int32_t out;
  };
  for (const Case c :
       {Case{0xFF, 0}, Case{0x7F, 0}, Case{0x00, -32124}, Case{0x80, 32124}, Case{0xFE, 8},
        Case{0x7E, -8}, Case{0xEF, 132}, Case{0xE0, 372}, Case{0xF0, 120}}) {
    EXPECT_EQ(MuLawToLinear(c.in), c.out) << static_cast<int>(c.in);
  }
  // Odd symmetry and monotony over the whole table.
  for (int b = 0; b < 128; ++b) {
    EXPECT_EQ(MuLawToLinear(static_cast<std::uint8_t>(b)),
              -MuLawToLinear(static_cast<std::uint8_t>(b | 0x80)));
    if (b > 0) {
      EXPECT_GT(MuLawToLinear(static_cast<std::uint8_t>(b)),
                MuLawToLinear(static_cast<std::uint8_t>(b - 1)));
    }
  }
}

}  // namespace
