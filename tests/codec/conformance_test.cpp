// Decodes the committed fixtures and compares every picture with ffmpeg's decode of the same
// stream (run at test time), plane by plane; checks which VOPs are refused; and feeds truncated
// and bit-flipped frames, which must be refused or decoded, never crash.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>

#include "codec/mp4dec/headers.h"
#include "mp4dec_harness.h"

namespace {

std::string DataPath(const std::string& name) {
  return std::string(TEST_DATA_DIR) + "/" + name;
}

struct Size {
  int width = 0;
  int height = 0;
};

std::ostream& operator<<(std::ostream& os, const Size& s) {
  return os << s.width << "x" << s.height;
}

// The picture size of the stream's first video object layer, whole (a width or height of 4096
// or more as it stands, not as the packed stream-info word would hold it), or 0 x 0.
Size StreamSize(const std::vector<std::uint8_t>& stream) {
  for (std::size_t i = 0; i + 4 < stream.size(); ++i) {
    if (stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1 && stream[i + 3] <= 0x1F) {
      Mp4DecStreamSize size;
      if (Mp4DecReadStreamSize(&stream[i], static_cast<std::int32_t>(stream.size() - i), &size)) {
        return {size.width, size.height};
      }
    }
  }
  return {};
}

// ffmpeg's yuv420p decode of a fixture (or of a file given by its absolute path), or empty when
// ffmpeg failed.
std::vector<std::uint8_t> ReferenceDecode(const std::string& fixture) {
  const std::filesystem::path out = std::filesystem::temp_directory_path() /
                                    ("kavelin_mp4dec_ref_" + std::to_string(::getpid()) + "_" +
                                     std::filesystem::path(fixture).stem().string() + ".yuv");
  const std::string command =
      "ffmpeg -nostdin -loglevel error -y -flags +bitexact -idct simple -i '" +
      (fixture.starts_with('/') ? fixture : DataPath(fixture)) +
      "' -fps_mode passthrough -f rawvideo -pix_fmt yuv420p '" + out.string() + "'";
  if (std::system(command.c_str()) != 0) {
    return {};
  }
  std::vector<std::uint8_t> yuv = ReadFile(out.string());
  std::filesystem::remove(out);
  return yuv;
}

struct PlaneStats {
  int maxDiff = 0;
  double psnr = 0;
};

PlaneStats Compare(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  PlaneStats s;
  double squared = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = std::abs(a[i] - b[i]);
    s.maxDiff = std::max(s.maxDiff, d);
    squared += d * d;
  }
  s.psnr = squared == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * n / squared);
  return s;
}

class ConformanceTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ConformanceTest, EveryPictureMatchesTheReferenceDecode) {
  const std::string fixture = GetParam();
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(fixture));
  ASSERT_FALSE(stream.empty()) << fixture;
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const std::vector<std::uint8_t> reference = ReferenceDecode(fixture);
  ASSERT_FALSE(reference.empty()) << "ffmpeg is needed for the reference decode";
  const std::size_t luma = static_cast<std::size_t>(size.width) * size.height;
  const std::size_t chroma = luma / 4;
  const std::size_t frameBytes = luma + 2 * chroma;
  const auto frames = SplitFrames(stream);
  ASSERT_EQ(reference.size(), frames.size() * frameBytes);

  DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk) << fixture << " " << size;
  // Reference mode 1 decodes intra VOPs to the same pictures.
  DecoderHarness fromIntra(size.width, size.height, kMp4DecModePlanar, 1);
  int worstDiff = 0;
  double worstPsnr = 99;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    ASSERT_EQ(h.Decode(frames[k]), kMp4DecOk) << fixture << " frame " << k;
    ASSERT_EQ(fromIntra.Decode(frames[k]), kMp4DecOk) << fixture << " frame " << k;
    EXPECT_EQ(fromIntra.output, h.output) << fixture << " frame " << k;
    const std::uint8_t* ref = reference.data() + k * frameBytes;
    // Our mode-3 layout is Y, V, U.
    const PlaneStats planes[3] = {Compare(h.output.data(), ref, luma),
                                  Compare(h.output.data() + luma + chroma, ref + luma, chroma),
                                  Compare(h.output.data() + luma, ref + luma + chroma, chroma)};
    for (int p = 0; p < 3; ++p) {
      EXPECT_LE(planes[p].maxDiff, 2) << fixture << " frame " << k << " plane " << p;
      EXPECT_GE(planes[p].psnr, 50.0) << fixture << " frame " << k << " plane " << p;
      worstDiff = std::max(worstDiff, planes[p].maxDiff);
      worstPsnr = std::min(worstPsnr, planes[p].psnr);
    }
  }
  RecordProperty("max_diff", worstDiff);
  RecordProperty("min_plane_psnr_x100", static_cast<int>(worstPsnr * 100));
  std::printf("%s: %zu frames, max diff %d, lowest plane PSNR %.2f dB\n", fixture.c_str(),
              frames.size(), worstDiff, worstPsnr);
}

INSTANTIATE_TEST_SUITE_P(IntraFixtures, ConformanceTest,
                         ::testing::Values("i_176x144_q2.m4v", "i_176x144_q31.m4v",
                                           "i_352x288_q8.m4v", "i_720x576_q20.m4v",
                                           "i_168x120_q5.m4v", "i_64x48_q3.m4v",
                                           "i_176x144_mpegquant_q4.m4v",
                                           "i_352x288_interlaced_q6.m4v",
                                           "i_176x144_userdata_q6.m4v", "i_176x144_dquant.m4v"),
                         [](const auto& info) {
                           std::string name = info.param;
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           }
                           return name;
                         });

std::string FixtureName(std::string name) {
  name = name.substr(0, name.find('.'));
  for (char& c : name) {
    c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return name;
}

// ffmpeg's decode of an arbitrary stream (written to a temporary file first).
std::vector<std::uint8_t> ReferenceDecodeBytes(const std::vector<std::uint8_t>& stream,
                                               const std::string& tag) {
  const std::filesystem::path in =
      std::filesystem::temp_directory_path() /
      ("kavelin_mp4dec_in_" + std::to_string(::getpid()) + "_" + tag + ".m4v");
  {
    std::ofstream file(in, std::ios::binary);
    file.write(reinterpret_cast<const char*>(stream.data()),
               static_cast<std::streamsize>(stream.size()));
  }
  std::vector<std::uint8_t> yuv = ReferenceDecode(in.string());
  std::filesystem::remove(in);
  return yuv;
}

// Per-frame gate of the P-VOP streams: every plane of every frame at least 40 dB, the mean of
// all plane PSNRs at least 45 dB (half-pel rounding and IDCT differences accumulate along a
// chain of P-VOPs, so the gate is looser than the intra one).
struct PsnrGate {
  double sum = 0;
  int count = 0;
  double worst = 99;
  void Check(const std::vector<std::uint8_t>& ours, const std::uint8_t* ref, const Size& size,
             const std::string& what) {
    const std::size_t luma = static_cast<std::size_t>(size.width) * size.height;
    const std::size_t chroma = luma / 4;
    const PlaneStats planes[3] = {Compare(ours.data(), ref, luma),
                                  Compare(ours.data() + luma + chroma, ref + luma, chroma),
                                  Compare(ours.data() + luma, ref + luma + chroma, chroma)};
    for (int p = 0; p < 3; ++p) {
      EXPECT_GE(planes[p].psnr, 40.0) << what << " plane " << p;
      sum += planes[p].psnr;
      ++count;
      worst = std::min(worst, planes[p].psnr);
    }
  }
  double Mean() const { return count == 0 ? 0 : sum / count; }
};

class PVopConformanceTest : public ::testing::TestWithParam<const char*> {};

// Reference mode 0: each P-VOP predicted from the picture before it, as ffmpeg decodes.
TEST_P(PVopConformanceTest, EveryPictureIsCloseToTheReferenceDecode) {
  const std::string fixture = GetParam();
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(fixture));
  ASSERT_FALSE(stream.empty()) << fixture;
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const std::vector<std::uint8_t> reference = ReferenceDecode(fixture);
  ASSERT_FALSE(reference.empty()) << "ffmpeg is needed for the reference decode";
  const std::size_t frameBytes = static_cast<std::size_t>(size.width) * size.height * 3 / 2;
  const auto frames = SplitFrames(stream);
  ASSERT_EQ(reference.size(), frames.size() * frameBytes);
  DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk) << fixture << " " << size;
  PsnrGate gate;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    ASSERT_EQ(h.Decode(frames[k]), kMp4DecOk) << fixture << " frame " << k;
    gate.Check(h.output, reference.data() + k * frameBytes, size,
               fixture + " frame " + std::to_string(k));
  }
  EXPECT_GE(gate.Mean(), 45.0) << fixture;
  std::printf("%s: %zu frames, lowest plane PSNR %.2f dB, mean %.2f dB\n", fixture.c_str(),
              frames.size(), gate.worst, gate.Mean());
}

INSTANTIATE_TEST_SUITE_P(PFixtures, PVopConformanceTest,
                         ::testing::Values("p_176x144_pan40.m4v", "p_176x144_pan40_mpegquant.m4v",
                                           "p_176x144_pan40_mv4.m4v",
                                           "p_176x144_pan40_interlaced.m4v", "p_168x120_pan40.m4v",
                                           "p_704x576_pan40.m4v"),
                         [](const auto& info) { return FixtureName(info.param); });

// Reference mode 1: every P-VOP of the stream is predicted from its I-VOP. ffmpeg chains P-VOPs,
// so its reference for P-VOP k is the decode of the I-VOP followed by that P-VOP alone.
TEST(PVopConformance, ReferenceModeOnePredictsEveryPVopFromTheIntraVop) {
  const std::string fixture = "p1_176x144_shift40.m4v";
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(fixture));
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const std::size_t frameBytes = static_cast<std::size_t>(size.width) * size.height * 3 / 2;
  const auto frames = SplitFrames(stream);
  ASSERT_GE(frames.size(), 3u);
  DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 1);
  ASSERT_EQ(h.initResult, kMp4DecOk) << fixture << " " << size;
  PsnrGate gate;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    ASSERT_EQ(h.Decode(frames[k]), kMp4DecOk) << "frame " << k;
    std::vector<std::uint8_t> pair = frames[0];
    if (k > 0) {
      pair.insert(pair.end(), frames[k].begin(), frames[k].end());
    }
    const std::vector<std::uint8_t> reference =
        ReferenceDecodeBytes(pair, "pair" + std::to_string(k));
    ASSERT_EQ(reference.size(), (k > 0 ? 2 : 1) * frameBytes) << "frame " << k;
    gate.Check(h.output, reference.data() + (k > 0 ? frameBytes : 0), size,
               "frame " + std::to_string(k));
  }
  EXPECT_GE(gate.Mean(), 45.0);
  std::printf("%s: lowest plane PSNR %.2f dB, mean %.2f dB\n", fixture.c_str(), gate.worst,
              gate.Mean());
}

struct RefusalCase {
  const char* fixture;
  std::vector<int> results;  // per frame
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.fixture;
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, UnsupportedVopsAreRefusedWithoutDisturbingTheDecoder) {
  const RefusalCase& c = GetParam();
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(c.fixture));
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const auto frames = SplitFrames(stream);
  ASSERT_EQ(frames.size(), c.results.size());
  DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 0);
  for (std::size_t k = 0; k < frames.size(); ++k) {
    EXPECT_EQ(h.Decode(frames[k]), c.results[k]) << c.fixture << " frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, RefusalTest,
    ::testing::Values(RefusalCase{"rej_64x48_p.m4v", {0, 3}},
                      RefusalCase{"rej_64x48_b.m4v", {0, 3, 3}},
                      RefusalCase{"rej_64x48_qpel.m4v", {3}},
                      RefusalCase{"rej_64x48_partitioned.m4v", {3}},
                      RefusalCase{"rej_176x144_packets.m4v", {3}},
                      // B-VOPs refused; the P-VOP after them has fcode 4.
                      RefusalCase{"rej_176x144_pan40_bf2.m4v", {0, 0, 3, 3, 3, 3}},
                      RefusalCase{"rej_176x144_pan40_qpel.m4v", {3, 3, 3, 3, 3, 3}},
                      RefusalCase{"rej_176x144_pan40_partitioned.m4v", {3, 3, 3, 3, 3, 3}},
                      RefusalCase{"rej_176x144_pan40_slices.m4v", {3, 3, 3, 3, 3, 3}}),
    [](const auto& info) {
      std::string name = info.param.fixture;
      name = name.substr(0, name.find('.'));
      for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

// A layer 4800 pixels wide, more than the packed stream-info word's 12 bits hold: its size is
// read whole (not as 4095 x 576), and the decoder refuses that size.
TEST(Robustness, ALayerTooLargeIsReadWithItsWholeSizeAndRefused) {
  const std::vector<std::uint8_t> stream = ReadFile(DataPath("rej_4800x576_vol.m4v"));
  ASSERT_FALSE(stream.empty());
  const Size size = StreamSize(stream);
  EXPECT_EQ(size.width, 4800) << size;
  EXPECT_EQ(size.height, 576) << size;
  const DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 0);
  EXPECT_NE(h.initResult, kMp4DecOk) << size;
}

TEST(Robustness, AVolWithAnotherSizeIsRefused) {
  const std::vector<std::uint8_t> stream = ReadFile(DataPath("i_176x144_q2.m4v"));
  const auto frames = SplitFrames(stream);
  DecoderHarness h(352, 288, kMp4DecModePlanar, 0);
  EXPECT_EQ(h.Decode(frames[0]), kMp4DecRefused);
}

class DamagedInputTest : public ::testing::TestWithParam<const char*> {};

// Truncated frames are refused; bit-flipped frames are decoded or refused; neither reads or
// writes outside its buffers (the sanitizer build checks that), and an intact frame afterwards
// decodes to the same picture as before.
TEST_P(DamagedInputTest, NeverCrashesAndRecovers) {
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(GetParam()));
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const auto frames = SplitFrames(stream);
  DecoderHarness h(size.width, size.height, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
  const std::vector<std::uint8_t> intact = h.output;

  const std::vector<std::uint8_t>& frame = frames[0];
  const std::size_t step = std::max<std::size_t>(1, frame.size() / 150);
  for (std::size_t keep = 0; keep + 2 <= frame.size(); keep += step) {
    // Each truncation in its own exact-size buffer, so a read past the end is caught.
    std::vector<std::uint8_t> cut(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_EQ(h.Decode(cut.data(), cut.size()), kMp4DecRefused) << "kept " << keep;
  }
  std::mt19937 random(12345);
  for (int trial = 0; trial < 150; ++trial) {
    std::vector<std::uint8_t> flipped = frame;
    const int flips = 1 + trial % 4;
    for (int f = 0; f < flips; ++f) {
      const std::size_t bit = random() % (flipped.size() * 8);
      flipped[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
    }
    const std::int32_t result = h.Decode(flipped);
    EXPECT_TRUE(result == kMp4DecOk || result == kMp4DecRefused) << result;
  }
  // Garbage frames.
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<std::uint8_t> garbage(static_cast<std::size_t>(random() % 3000));
    for (auto& b : garbage) {
      b = static_cast<std::uint8_t>(random());
    }
    if (garbage.size() > 8 && trial % 2 == 0) {
      garbage[0] = 0;
      garbage[1] = 0;
      garbage[2] = 1;
      garbage[3] = 0xB6;
      garbage[4] &= 0x3F;  // an I-VOP header over random data
    }
    const std::int32_t result = h.Decode(garbage);
    EXPECT_TRUE(result == kMp4DecOk || result == kMp4DecRefused) << result;
  }
  // The intact frame again: the same picture (an I-VOP depends on nothing before it).
  ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
  EXPECT_EQ(h.output, intact);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedInputTest,
                         ::testing::Values("i_176x144_q2.m4v", "i_168x120_q5.m4v",
                                           "i_176x144_mpegquant_q4.m4v",
                                           "i_352x288_interlaced_q6.m4v",
                                           "i_176x144_userdata_q6.m4v"),
                         [](const auto& info) {
                           std::string name = info.param;
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           }
                           return name;
                         });

class DamagedPVopTest : public ::testing::TestWithParam<const char*> {};

// Truncated, bit-flipped and garbage P-VOPs after an intact start: refused or decoded, never a
// read or write outside the buffers (vectors from damaged data reach far outside the picture).
// The refused ones leave the reference: the intact P-VOP decodes afterwards as it did before.
TEST_P(DamagedPVopTest, NeverCrashesAndKeepsTheReference) {
  const std::vector<std::uint8_t> stream = ReadFile(DataPath(GetParam()));
  const Size size = StreamSize(stream);
  ASSERT_GT(size.width, 0);
  const auto frames = SplitFrames(stream);
  ASSERT_GE(frames.size(), 3u);
  for (int referenceMode : {0, 1}) {
    DecoderHarness h(size.width, size.height, kMp4DecModePlanar, referenceMode);
    ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
    ASSERT_EQ(h.Decode(frames[1]), kMp4DecOk);
    const std::vector<std::uint8_t>& frame = frames[2];
    // Each kind of damage is followed by the intact frame on a fresh decoder state copy: the
    // frame must decode to the same picture whenever the damaged one was refused.
    DecoderHarness clean(size.width, size.height, kMp4DecModePlanar, referenceMode);
    ASSERT_EQ(clean.Decode(frames[0]), kMp4DecOk);
    ASSERT_EQ(clean.Decode(frames[1]), kMp4DecOk);
    ASSERT_EQ(clean.Decode(frame), kMp4DecOk);
    const std::size_t step = std::max<std::size_t>(1, frame.size() / 60);
    for (std::size_t keep = 0; keep + 2 <= frame.size(); keep += step) {
      std::vector<std::uint8_t> cut(frame.begin(),
                                    frame.begin() + static_cast<std::ptrdiff_t>(keep));
      EXPECT_EQ(h.Decode(cut.data(), cut.size()), kMp4DecRefused) << "kept " << keep;
    }
    ASSERT_EQ(h.Decode(frame), kMp4DecOk);
    EXPECT_EQ(h.output, clean.output) << "mode " << referenceMode;
    std::mt19937 random(777);
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<std::uint8_t> flipped = frame;
      for (int f = 0; f < 1 + trial % 5; ++f) {
        const std::size_t bit = 40 + random() % (flipped.size() * 8 - 40);  // past the start code
        flipped[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
      }
      const std::int32_t result = h.Decode(flipped);
      EXPECT_TRUE(result == kMp4DecOk || result == kMp4DecRefused) << result;
    }
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<std::uint8_t> garbage(8 + random() % 3000);
      for (auto& b : garbage) {
        b = static_cast<std::uint8_t>(random());
      }
      garbage[0] = 0;
      garbage[1] = 0;
      garbage[2] = 1;
      garbage[3] = 0xB6;
      garbage[4] = static_cast<std::uint8_t>((garbage[4] & 0x3F) | 0x40);  // a P-VOP header
      const std::int32_t result = h.Decode(garbage);
      EXPECT_TRUE(result == kMp4DecOk || result == kMp4DecRefused) << result;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PFixtures, DamagedPVopTest,
                         ::testing::Values("p_176x144_pan40.m4v", "p_176x144_pan40_mv4.m4v",
                                           "p_176x144_pan40_interlaced.m4v",
                                           "p_176x144_pan40_mpegquant.m4v", "p_168x120_pan40.m4v"),
                         [](const auto& info) { return FixtureName(info.param); });

}  // namespace

namespace {

// A VOP that is not coded shows the last decoded picture again, in both reference modes, and
// leaves the references: the next P-VOP decodes as if it had not been there.
TEST(NotCodedVop, RepeatsTheLastPictureAndKeepsTheReferences) {
  const std::vector<std::uint8_t> stream = ReadFile(DataPath("p1_176x144_shift40.m4v"));
  const auto frames = SplitFrames(stream);
  ASSERT_GE(frames.size(), 3u);
  for (int referenceMode : {0, 1}) {
    SCOPED_TRACE(referenceMode);
    DecoderHarness h(176, 144, kMp4DecModePlanar, referenceMode);
    ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
    ASSERT_EQ(h.Decode(frames[1]), kMp4DecOk);
    const std::vector<std::uint8_t> shown = h.output;
    BitWriter w;
    w.Bytes({0x00, 0x00, 0x01, 0xB6}).Put(1, 2).Put(0, 1).Put(1, 1);  // P, marker
    w.Put(0, Mp4DecTimeIncrementBits(h.Ctx().vol.vop_time_increment_resolution));
    w.Put(1, 1).Put(0, 1);  // marker, vop_coded 0
    w.Stuff();
    std::fill_n(h.output.begin(), 176 * 144 * 3 / 2, std::uint8_t{0});
    ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
    EXPECT_EQ(h.output, shown);
    ASSERT_EQ(h.Decode(frames[2]), kMp4DecOk);
    DecoderHarness direct(176, 144, kMp4DecModePlanar, referenceMode);
    ASSERT_EQ(direct.Decode(frames[0]), kMp4DecOk);
    ASSERT_EQ(direct.Decode(frames[1]), kMp4DecOk);
    ASSERT_EQ(direct.Decode(frames[2]), kMp4DecOk);
    EXPECT_EQ(h.output, direct.output);
  }
}

}  // namespace
