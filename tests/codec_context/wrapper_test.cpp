// The decoder context wrapper: buffers allocated once and reused, opens refused for sizes the
// buffers cannot hold, and the decoder fixtures decoded frame by frame through the wrapper
// giving exactly the pictures of the decoder driven directly in the same output mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "codec/mp4dec_harness.h"

namespace {

std::string FixturePath(const std::string& name) {
  return std::string(MP4_FIXTURE_DIR) + "/" + name;
}

struct OpenCase {
  std::string name;
  std::uint16_t width;
  std::uint16_t height;
  std::uint32_t flags;
  bool opens;
};

class WrapperOpenTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(WrapperOpenTest, OpensOnlyWhatTheBuffersHold) {
  const OpenCase& c = GetParam();
  CMpeg4DecoderContext context;
  ASSERT_EQ(context.AllocateBuffers(), 1);
  EXPECT_EQ(context.Open(c.width, c.height, c.flags), c.opens);
  EXPECT_EQ(context.IsOpen(), c.opens);
  EXPECT_EQ(context.Width(), c.opens ? c.width : 0u);
  EXPECT_EQ(context.Height(), c.opens ? c.height : 0u);
  if (!c.opens) {
    // A refused open decodes nothing and copies nothing.
    const std::vector<std::uint8_t> frame = ReadFile(FixturePath("i_176x144_q31.m4v"));
    EXPECT_FALSE(context.DecodeFrame(frame.data(), static_cast<std::uint32_t>(frame.size()), 0, 0,
                                     0, c.width, c.height));
    std::vector<std::uint8_t> slot(16, 0xAB);
    EXPECT_EQ(context.CopyImage(slot.data(), 0), 1);
    EXPECT_EQ(context.CopyImage(slot), 0);
    EXPECT_EQ(slot, std::vector<std::uint8_t>(16, 0xAB));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WrapperOpenTest,
                         ::testing::Values(OpenCase{"Cif", 352, 288, 1, true},
                                           OpenCase{"Largest", 720, 576, 1, true},
                                           OpenCase{"PingPong", 176, 144, 0, true},
                                           OpenCase{"Smallest", 1, 1, 1, true},
                                           OpenCase{"ZeroWidth", 0, 288, 1, false},
                                           OpenCase{"ZeroHeight", 352, 0, 1, false},
                                           OpenCase{"TooWide", 736, 576, 1, false},
                                           OpenCase{"TooTall", 720, 592, 1, false},
                                           OpenCase{"OneTooWide", 721, 16, 1, false},
                                           OpenCase{"Huge", 65535, 65535, 1, false},
                                           OpenCase{"UnknownReferenceMode", 352, 288, 2, false}),
                         [](const auto& info) { return info.param.name; });

TEST(WrapperTest, NothingWorksBeforeTheBuffersExist) {
  CMpeg4DecoderContext context;
  EXPECT_FALSE(context.Open(352, 288, 1));
  EXPECT_TRUE(context.Picture().empty());
  const std::uint8_t frame[] = {0, 0, 1, 0xB6, 0x00};
  EXPECT_FALSE(context.DecodeFrame(frame, sizeof frame, 0, 0, 0, 352, 288));
  std::vector<std::uint8_t> slot(8);
  EXPECT_EQ(context.CopyImage(slot), 0);
}

TEST(WrapperTest, BuffersAreAllocatedOnceAndKeptAcrossOpens) {
  CMpeg4DecoderContext context;
  ASSERT_EQ(context.AllocateBuffers(), 1);
  const std::uint8_t* picture = context.Picture().data();
  EXPECT_EQ(context.Picture().size(), kMpeg4PictureBytes);
  ASSERT_EQ(context.AllocateBuffers(), 1);
  EXPECT_EQ(context.Picture().data(), picture);
  for (auto [w, h] : {std::pair{176, 144}, std::pair{720, 576}, std::pair{64, 48}}) {
    ASSERT_TRUE(context.Open(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 1));
    EXPECT_EQ(context.Picture().data(), picture);
  }
}

TEST(WrapperTest, CreateDecoderContextKeepsTheOwner) {
  const auto context = CreateDecoderContext(0x1234);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->Owner(), 0x1234u);
  EXPECT_FALSE(context->IsOpen());
}

struct FixtureCase {
  const char* file;
  int width;
  int height;
  bool decodes;  // every VOP of the fixture decodes (else: the fixture's VOPs are refused)
};

class WrapperFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

// The wrapper must add nothing to the decoder's picture: same bytes as the decoder driven
// directly in the wrapper's output mode, for every frame, in both reference modes.
TEST_P(WrapperFixtureTest, DecodesEveryFrameAsTheDecoderDoes) {
  const FixtureCase& c = GetParam();
  const std::vector<std::uint8_t> stream = ReadFile(FixturePath(c.file));
  ASSERT_FALSE(stream.empty()) << c.file;
  const auto frames = SplitFrames(stream);
  ASSERT_FALSE(frames.empty());

  CMpeg4DecoderContext context;
  ASSERT_EQ(context.AllocateBuffers(), 1);
  for (const std::uint32_t referenceMode : {1u, 0u}) {
    SCOPED_TRACE(referenceMode);
    // A previous stream of another size must not leak into this one.
    ASSERT_TRUE(context.Open(64, 48, referenceMode));
    ASSERT_TRUE(context.Open(static_cast<std::uint16_t>(c.width),
                             static_cast<std::uint16_t>(c.height), referenceMode));
    DecoderHarness direct(c.width, c.height, kMp4DecModeBgrBottomUp,
                          static_cast<int>(referenceMode));
    ASSERT_EQ(direct.initResult, kMp4DecOk);
    const std::size_t pictureBytes = static_cast<std::size_t>(c.width) * c.height * 3;
    std::vector<std::uint8_t> slot(pictureBytes + 32, 0xEE);
    int decoded = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      SCOPED_TRACE(i);
      const auto& frame = frames[i];
      const bool ok = context.DecodeFrame(frame.data(), static_cast<std::uint32_t>(frame.size()), 0,
                                          0, 0, static_cast<std::uint16_t>(c.width),
                                          static_cast<std::uint16_t>(c.height));
      EXPECT_EQ(ok, direct.Decode(frame) == kMp4DecOk);
      if (!ok) {
        continue;
      }
      ++decoded;
      ASSERT_EQ(context.CopyImage(slot.data(), static_cast<std::uint32_t>(slot.size())), 1);
      ASSERT_TRUE(std::equal(slot.begin(), slot.begin() + static_cast<std::ptrdiff_t>(pictureBytes),
                             direct.output.begin()));
      // Nothing past the picture.
      EXPECT_EQ(slot[pictureBytes], 0xEE);
      EXPECT_EQ(slot.back(), 0xEE);
    }
    if (c.decodes) {
      EXPECT_EQ(decoded, static_cast<int>(frames.size()));
    } else {
      EXPECT_LT(decoded, static_cast<int>(frames.size()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WrapperFixtureTest,
    ::testing::Values(FixtureCase{"i_64x48_q3.m4v", 64, 48, true},
                      FixtureCase{"i_168x120_q5.m4v", 168, 120, true},
                      FixtureCase{"i_176x144_q2.m4v", 176, 144, true},
                      FixtureCase{"i_176x144_mpegquant_q4.m4v", 176, 144, true},
                      FixtureCase{"i_176x144_userdata_q6.m4v", 176, 144, true},
                      FixtureCase{"i_352x288_interlaced_q6.m4v", 352, 288, true},
                      FixtureCase{"i_720x576_q20.m4v", 720, 576, true},
                      FixtureCase{"rej_64x48_b.m4v", 64, 48, false},
                      FixtureCase{"rej_64x48_qpel.m4v", 64, 48, false},
                      FixtureCase{"rej_176x144_packets.m4v", 176, 144, false}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

// Decoding straight into a slot leaves there what decoding into the wrapper's picture and
// copying it out does, frame by frame (intra and predicted VOPs, both reference modes), writes
// nothing past the picture and leaves the wrapper's own picture alone.
TEST(WrapperTest, DecodeFrameIntoGivesTheCopiedPicture) {
  struct Case {
    const char* file;
    std::uint16_t width, height;
  };
  for (const Case c : {Case{"p_176x144_pan40.m4v", 176, 144}, Case{"i_168x120_q5.m4v", 168, 120},
                       Case{"p_176x144_pan40_interlaced.m4v", 176, 144}}) {
    SCOPED_TRACE(c.file);
    const auto frames = SplitFrames(ReadFile(FixturePath(c.file)));
    ASSERT_FALSE(frames.empty());
    for (const std::uint32_t referenceMode : {0u, 1u}) {
      CMpeg4DecoderContext copying;
      CMpeg4DecoderContext direct;
      ASSERT_EQ(copying.AllocateBuffers(), 1);
      ASSERT_EQ(direct.AllocateBuffers(), 1);
      ASSERT_TRUE(copying.Open(c.width, c.height, referenceMode));
      ASSERT_TRUE(direct.Open(c.width, c.height, referenceMode));
      const std::size_t bytes = std::size_t{c.width} * c.height * 3;
      const std::vector<std::uint8_t> untouched(direct.Picture().begin(), direct.Picture().end());
      for (const auto& frame : frames) {
        const auto length = static_cast<std::uint32_t>(frame.size());
        std::vector<std::uint8_t> copied(bytes + 8, 0x5A);
        std::vector<std::uint8_t> slot(bytes + 8, 0x5A);
        const bool ok = copying.DecodeFrame(frame.data(), length, 0, 0, 0, c.width, c.height);
        ASSERT_EQ(direct.DecodeFrameInto(frame.data(), length, slot), ok);
        if (ok) {
          ASSERT_EQ(copying.CopyImage(copied), 1);
        }
        ASSERT_EQ(slot, copied);
      }
      EXPECT_TRUE(std::equal(untouched.begin(), untouched.end(), direct.Picture().begin()));
    }
  }
}

TEST(WrapperTest, DecodeFrameIntoRefusesASmallDestinationAndAClosedWrapper) {
  const auto frames = SplitFrames(ReadFile(FixturePath("i_176x144_q2.m4v")));
  ASSERT_FALSE(frames.empty());
  const auto length = static_cast<std::uint32_t>(frames[0].size());
  CMpeg4DecoderContext context;
  std::vector<std::uint8_t> slot(176 * 144 * 3, 0x5A);
  EXPECT_FALSE(context.DecodeFrameInto(frames[0].data(), length, slot));  // no buffers
  ASSERT_EQ(context.AllocateBuffers(), 1);
  EXPECT_FALSE(context.DecodeFrameInto(frames[0].data(), length, slot));  // not open
  ASSERT_TRUE(context.Open(176, 144, 0));
  std::vector<std::uint8_t> small(176 * 144 * 3 - 1, 0x5A);
  EXPECT_FALSE(context.DecodeFrameInto(frames[0].data(), length, small));
  EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](std::uint8_t b) { return b == 0x5A; }));
  EXPECT_TRUE(context.DecodeFrameInto(frames[0].data(), length, slot));
  EXPECT_FALSE(std::all_of(slot.begin(), slot.end(), [](std::uint8_t b) { return b == 0x5A; }));
}

// A Reset to a larger size than the Open's makes the decoder put out the larger picture: a
// destination holding only the open size is refused untouched, one holding the larger picture
// gets it.
TEST(WrapperTest, DecodeFrameIntoAfterAResetToALargerSizeNeedsRoomForIt) {
  const auto frames = SplitFrames(ReadFile(FixturePath("i_352x288_q8.m4v")));
  ASSERT_FALSE(frames.empty());
  const auto length = static_cast<std::uint32_t>(frames[0].size());
  CMpeg4DecoderContext context;
  ASSERT_EQ(context.AllocateBuffers(), 1);
  ASSERT_TRUE(context.Open(176, 144, 1));
  ASSERT_TRUE(context.Reset(352, 288, 1));
  std::vector<std::uint8_t> small(176 * 144 * 3, 0x5A);
  EXPECT_FALSE(context.DecodeFrameInto(frames[0].data(), length, small));
  EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](std::uint8_t b) { return b == 0x5A; }));
  std::vector<std::uint8_t> large(352 * 288 * 3 + 8, 0x5A);
  EXPECT_TRUE(context.DecodeFrameInto(frames[0].data(), length, large));
  EXPECT_EQ(large[352 * 288 * 3], 0x5A);
  EXPECT_FALSE(std::all_of(large.begin(), large.begin() + 176 * 144 * 3,
                           [](std::uint8_t b) { return b == 0x5A; }));
}

// The stream scan of a fixture's first frame finds the layer's size and an intra VOP.
TEST(WrapperTest, StreamScanOfAFixtureGivesItsSizeAndIntraType) {
  const std::vector<std::uint8_t> stream = ReadFile(FixturePath("i_352x288_q8.m4v"));
  const auto frames = SplitFrames(stream);
  ASSERT_FALSE(frames.empty());
  CMpeg4DecoderContext context;
  std::uint32_t pts = 1, width = 0, height = 0, unused = 0, vopType = 0;
  const std::uint32_t flags =
      context.Decode(frames[0].data(), static_cast<std::int32_t>(frames[0].size()), &pts, &width,
                     &height, &unused, &vopType);
  EXPECT_EQ(flags, kScanFoundPictureSize | kScanFoundVopType);
  EXPECT_EQ(width, 352u);
  EXPECT_EQ(height, 288u);
  EXPECT_EQ(vopType, 1u);
  EXPECT_EQ(pts, 0u);
}

// The stream's layer may announce another size than the login reply did: whatever the decoder
// makes of it, the wrapper copies out exactly the opened size and writes nothing beyond.
TEST(WrapperTest, StreamOfAnotherSizeThanTheOpenStaysInsideTheBuffers) {
  struct Case {
    const char* file;
    std::uint16_t width, height;
  };
  for (const Case c : {Case{"i_352x288_q8.m4v", 176, 144}, Case{"i_720x576_q20.m4v", 64, 48},
                       Case{"i_64x48_q3.m4v", 720, 576}}) {
    SCOPED_TRACE(c.file);
    CMpeg4DecoderContext context;
    ASSERT_EQ(context.AllocateBuffers(), 1);
    ASSERT_TRUE(context.Open(c.width, c.height, 1));
    const std::size_t bytes = static_cast<std::size_t>(c.width) * c.height * 3;
    for (const auto& frame : SplitFrames(ReadFile(FixturePath(c.file)))) {
      (void)context.DecodeFrame(frame.data(), static_cast<std::uint32_t>(frame.size()), 0, 0, 0,
                                c.width, c.height);
      std::vector<std::uint8_t> slot(bytes + 8, 0x5A);
      EXPECT_EQ(context.CopyImage(slot), 1);
      EXPECT_EQ(slot[bytes], 0x5A);
    }
  }
}

TEST(WrapperTest, TruncatedAndEmptyFramesAreRefusedNotFatal) {
  const std::vector<std::uint8_t> stream = ReadFile(FixturePath("i_176x144_q2.m4v"));
  const auto frames = SplitFrames(stream);
  ASSERT_FALSE(frames.empty());
  CMpeg4DecoderContext context;
  ASSERT_EQ(context.AllocateBuffers(), 1);
  ASSERT_TRUE(context.Open(176, 144, 1));
  const auto& frame = frames[0];
  EXPECT_FALSE(context.DecodeFrame(frame.data(), 0, 0, 0, 0, 176, 144));
  EXPECT_FALSE(context.DecodeFrame(nullptr, 100, 0, 0, 0, 176, 144));
  // A length the decoder's signed count cannot carry is refused before anything is read.
  EXPECT_FALSE(context.DecodeFrame(frame.data(), 0x80000000u, 0, 0, 0, 176, 144));
  for (const std::size_t keep : {std::size_t{3}, std::size_t{20}, frame.size() / 2}) {
    // An exact-size copy, so the sanitizer build sees any read past the cut.
    const std::vector<std::uint8_t> cut(frame.begin(),
                                        frame.begin() + static_cast<std::ptrdiff_t>(keep));
    (void)context.DecodeFrame(cut.data(), static_cast<std::uint32_t>(cut.size()), 0, 0, 0, 176,
                              144);
  }
  // The wrapper still decodes a whole frame afterwards.
  ASSERT_TRUE(context.Open(176, 144, 1));
  EXPECT_TRUE(context.DecodeFrame(frame.data(), static_cast<std::uint32_t>(frame.size()), 0, 0, 0,
                                  176, 144));
}

}  // namespace
