// The command entry: sizes, initialisation checks, frame selection, refused and not-coded VOPs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/mp4dec.h"
#include "fakes/mpeg4_vol.h"
#include "mp4dec_harness.h"

namespace {

std::vector<std::vector<std::uint8_t>> FixtureFrames(const char* name) {
  return SplitFrames(ReadFile(std::string(TEST_DATA_DIR) + "/" + name));
}

bool AllZero(const std::vector<std::uint8_t>& v) {
  return std::all_of(v.begin(), v.end(), [](std::uint8_t b) { return b == 0; });
}

TEST(Mp4DecControl, SizeQueryFor720x576) {
  Mp4DecInstance inst;
  Mp4DecBufferSizes sizes{};
  ASSERT_EQ(Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, 720, 576, 0), kMp4DecOk);
  EXPECT_EQ(inst.width, 720);
  EXPECT_EQ(inst.height, 576);
  EXPECT_EQ(sizes.frameBuffer0, 800256U);
  EXPECT_EQ(sizes.frameBuffer1, 800256U);
  EXPECT_EQ(sizes.outputPlanes, 829440U);
  EXPECT_EQ(sizes.context, 710484U);
  EXPECT_EQ(sizes.tables, 11332U);
  EXPECT_EQ(sizes.bitReader, 2216U);
}

TEST(Mp4DecControl, NullHandleGivesTwoForEveryCommand) {
  Mp4DecInstance inst;
  Mp4DecBufferSizes sizes{};
  for (std::uint32_t command :
       {kMp4DecCmdQuerySizes, kMp4DecCmdInit, kMp4DecCmdClose, kMp4DecCmdNoOp,
        kMp4DecCmdSelectOutput, kMp4DecCmdStreamInfo, kMp4DecCmdDecode, 0x12345U}) {
    EXPECT_EQ(Mp4DecControl(0, command, &inst, &sizes, 720, 576, 0), kMp4DecNullHandle) << command;
  }
  EXPECT_EQ(inst.width, 0);  // the size query did nothing
}

TEST(Mp4DecControl, SizesOutsideTheLimitsAreRefused) {
  const std::pair<int, int> bad[] = {{0, 576},   {720, 0},   {721, 576},
                                     {720, 577}, {736, 480}, {0x10000, 16}};
  for (const auto& [w, h] : bad) {
    Mp4DecInstance inst;
    Mp4DecBufferSizes sizes{};
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, w, h, 0), kMp4DecRefused)
        << w << "x" << h;
  }
  // Initialisation checks the instance's own size too.
  DecoderHarness ok(176, 144, 3, 0);
  ASSERT_EQ(ok.initResult, kMp4DecOk);
  ok.inst.width = 800;
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &ok.inst, nullptr, 0, 0, 0), kMp4DecRefused);
}

TEST(Mp4DecControl, InitialisationRefusesMissingBlocksAndUnknownReferenceModes) {
  DecoderHarness h(64, 48, 3, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &h.inst, nullptr, 0, 0, 2), kMp4DecRefused);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &h.inst, nullptr, 0, 0, -1), kMp4DecRefused);
  Mp4DecInstance noContext = h.inst;
  noContext.context = nullptr;
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &noContext, nullptr, 0, 0, 0), kMp4DecRefused);
  Mp4DecInstance noFrame = h.inst;
  noFrame.frameBuffer1 = nullptr;
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &noFrame, nullptr, 0, 0, 0), kMp4DecRefused);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, nullptr, nullptr, 0, 0, 0), kMp4DecRefused);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdInit, &h.inst, nullptr, 0, 0, 1), kMp4DecOk);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdClose, nullptr, nullptr, 0, 0, 0), kMp4DecOk);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdNoOp, nullptr, nullptr, 0, 0, 0), kMp4DecOk);
}

TEST(Mp4DecControl, DecodingBeforeInitialisationOrWithoutInputIsRefused) {
  DecoderHarness h(64, 48, 3, 0);
  h.ZeroBlocks();  // as before initialisation
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  EXPECT_EQ(h.Decode(frames[0]), kMp4DecRefused);
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdDecode, nullptr, &h.inst, 0, 0, 0), kMp4DecRefused);
  DecoderHarness ready(64, 48, 3, 0);
  EXPECT_EQ(ready.Decode(nullptr, 0), kMp4DecRefused);
  const std::vector<std::uint8_t> noStartCode(100, 0xFF);
  EXPECT_EQ(ready.Decode(noStartCode), kMp4DecRefused);
}

TEST(Mp4DecControl, ReferenceModeZeroAlternatesBuffersModeOneKeepsIntraInBufferZero) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  ASSERT_GE(frames.size(), 2U);
  for (int mode : {0, 1}) {
    DecoderHarness h(64, 48, 3, mode);
    ASSERT_EQ(h.initResult, kMp4DecOk);
    ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
    EXPECT_FALSE(AllZero(h.frame0));
    ASSERT_EQ(h.Decode(frames[1]), kMp4DecOk);
    // The decode frame's luma origin names buffer 0 in mode 1 and buffer 1 in mode 0.
    const std::uint8_t* origin = h.inst.decodeOrigin[0];
    const bool inBuffer0 = origin >= h.frame0.data() && origin < h.frame0.data() + h.frame0.size();
    EXPECT_EQ(inBuffer0, mode == 1) << "reference mode " << mode;
    EXPECT_EQ(h.Ctx().mb.decodedVops, 2);
  }
}

TEST(Mp4DecControl, ADamagedVopLeavesTheReferenceAndTheToggle) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  for (int mode : {0, 1}) {
    DecoderHarness h(64, 48, 3, mode);
    ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
    const std::vector<std::uint8_t> reference = h.frame0;
    const std::vector<std::uint8_t> shown = h.output;
    const int toggle = h.Ctx().frameToggle;
    std::vector<std::uint8_t> cut(frames[1].begin(), frames[1].begin() + 200);
    EXPECT_EQ(h.Decode(cut), kMp4DecRefused);
    EXPECT_EQ(h.frame0, reference) << "reference mode " << mode;
    EXPECT_EQ(h.Ctx().frameToggle, toggle);
    EXPECT_EQ(h.output, shown);  // nothing put out
    EXPECT_EQ(h.Ctx().mb.decodedVops, 1);
    // The plane pointers still name the last decoded picture's buffer.
    EXPECT_EQ(h.inst.decodeOrigin[0] - h.frame0.data(), 32 * (64 + 64) + 32);
    EXPECT_EQ(h.inst.referenceOrigin[0] - h.frame1.data(), 32 * (64 + 64) + 32);
  }
}

// A P-VOP cut short says where it ended: inside the picture, in the macroblock and at the bit
// where the cut is (a code that straddles the cut is seen a few bits before it, the zeros past
// the end a few bits after), later macroblocks for longer cuts. Cuts inside the VOP header and
// before its start code name those layers; the whole frame records nothing.
TEST(Mp4DecControl, ACutFrameSaysWhereItWasDamaged) {
  const auto frames = FixtureFrames("p_176x144_pan40.m4v");
  ASSERT_GE(frames.size(), 2u);
  const std::vector<std::uint8_t>& p = frames[1];
  DecoderHarness h(176, 144, kMp4DecModePlanar, 1);
  ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).layer, Mp4DecLayer::kNone);

  int lastMacroblock = -1;
  for (const std::size_t cut :
       {p.size() / 5, 2 * p.size() / 5, 3 * p.size() / 5, 4 * p.size() / 5, p.size() - 2}) {
    SCOPED_TRACE(::testing::Message() << "cut at byte " << cut << " of " << p.size());
    EXPECT_EQ(h.Decode(p.data(), cut), kMp4DecRefused);
    const Mp4DecDamage d = Mp4DecLastDamage(h.inst);
    EXPECT_TRUE(d.layer == Mp4DecLayer::kMacroblock || d.layer == Mp4DecLayer::kMotionVector ||
                d.layer == Mp4DecLayer::kBlock)
        << Mp4DecLayerName(d.layer);
    EXPECT_TRUE(d.fault == Mp4DecFault::kInvalidCode || d.fault == Mp4DecFault::kInputEnded ||
                d.fault == Mp4DecFault::kStartCode)
        << Mp4DecFaultName(d.fault);
    EXPECT_GE(d.bitPosition + 32, 8 * cut);
    EXPECT_LE(d.bitPosition, 8 * cut + 32);
    ASSERT_TRUE(d.mbX >= 0 && d.mbX < 11 && d.mbY >= 0 && d.mbY < 9) << d.mbX << "," << d.mbY;
    EXPECT_EQ(d.block >= 0, d.layer == Mp4DecLayer::kBlock);
    const int macroblock = d.mbY * 11 + d.mbX;
    EXPECT_GT(macroblock, lastMacroblock);
    lastMacroblock = macroblock;
  }

  EXPECT_EQ(h.Decode(p.data(), 6), kMp4DecRefused);  // the start code and 2 bytes of the header
  EXPECT_EQ(Mp4DecLastDamage(h.inst).layer, Mp4DecLayer::kVop);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).fault, Mp4DecFault::kInputEnded);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).mbX, -1);

  const std::vector<std::uint8_t> noStartCode(p.begin() + 4, p.begin() + 40);
  EXPECT_EQ(h.Decode(noStartCode), kMp4DecRefused);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).layer, Mp4DecLayer::kStream);

  EXPECT_EQ(h.Decode(p), kMp4DecOk);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).layer, Mp4DecLayer::kNone);
}

TEST(Mp4DecControl, NotCodedVopRepeatsTheLastPicture) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  DecoderHarness h(64, 48, 3, 0);
  ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
  const std::vector<std::uint8_t> shown = h.output;
  const int toggle = h.Ctx().frameToggle;
  // A VOP header with vop_coded 0; the stream's resolution is 25 (5-bit increment).
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0xB6}).Put(1, 2).Put(0, 1).Put(1, 1).Put(4, 5).Put(1, 1).Put(0, 1);
  w.Stuff();
  const std::size_t picture = 64 * 48 * 3 / 2;
  std::fill(h.output.begin(), h.output.begin() + picture, 0);
  EXPECT_EQ(h.Decode(w.Data()), kMp4DecOk);
  EXPECT_EQ(h.output, shown);
  EXPECT_EQ(h.Ctx().frameToggle, toggle);
}

TEST(Mp4DecControl, OutputSwitchOffAndNoConverterWriteNothing) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  DecoderHarness h(64, 48, 3, 0);
  std::fill(h.output.begin(), h.output.end(), 0xCD);
  ASSERT_EQ(h.Decode(frames[0], false), kMp4DecOk);
  EXPECT_TRUE(std::all_of(h.output.begin(), h.output.end(), [](auto b) { return b == 0xCD; }));
  // Mode 0 at initialisation: no converter; the switch on must not call through a null one.
  DecoderHarness none(64, 48, 0, 0);
  ASSERT_EQ(none.initResult, kMp4DecOk);
  none.output.assign(64 * 48 * 4, 0xCD);
  EXPECT_EQ(none.Decode(frames[0]), kMp4DecOk);
  EXPECT_TRUE(
      std::all_of(none.output.begin(), none.output.end(), [](auto b) { return b == 0xCD; }));
}

TEST(Mp4DecControl, SelectOutputCommandSwitchesTheConverter) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  DecoderHarness h(64, 48, 3, 0);
  h.inst.outputMode = 4;
  ASSERT_EQ(Mp4DecControl(1, kMp4DecCmdSelectOutput, &h.inst, nullptr, 0, 0, 0), kMp4DecOk);
  EXPECT_EQ(h.Ctx().orientation, -1);
  h.inst.outputMode = 12;
  ASSERT_EQ(Mp4DecControl(1, kMp4DecCmdSelectOutput, &h.inst, nullptr, 0, 0, 0), kMp4DecOk);
  EXPECT_EQ(h.Ctx().orientation, 1);
  h.output.assign(64 * 48 * 4, 0);
  ASSERT_EQ(h.Decode(frames[0]), kMp4DecOk);
  // Still the 32-bit converter, now top-down: the first row is the picture's first row.
  DecoderHarness top(64, 48, 8, 0);
  top.output.assign(64 * 48 * 4, 0);
  ASSERT_EQ(top.Decode(frames[0]), kMp4DecOk);
  EXPECT_EQ(h.output, top.output);
  // Mode 4 is the same picture bottom-up.
  DecoderHarness flipped(64, 48, 4, 0);
  flipped.output.assign(64 * 48 * 4, 0);
  ASSERT_EQ(flipped.Decode(frames[0]), kMp4DecOk);
  for (int row = 0; row < 48; ++row) {
    EXPECT_TRUE(std::equal(top.output.begin() + row * 256, top.output.begin() + row * 256 + 256,
                           flipped.output.begin() + (47 - row) * 256))
        << row;
  }
}

// The stream-info word packs 12 bits of each size: a size that fits keeps width << 12 | height;
// one of 4096 or more is given as 4095, too large for every check, not as its low 12 bits. The
// size itself, whole, comes from Mp4DecReadStreamSize.
TEST(Mp4DecControl, StreamInfoOfALayerTooLargeForThePackedWordGivesTheLargestItHolds) {
  struct Case {
    std::int32_t width, height;
    std::uint32_t packed;
  };
  for (const Case c :
       {Case{352, 288, 1442080U}, Case{4095, 4095, 0xFFFFFFU}, Case{4096, 576, 0xFFF240U},
        Case{4800, 576, 0xFFF240U}, Case{704, 4096, 0x2C0FFFU}, Case{8191, 8191, 0xFFFFFFU}}) {
    const std::vector<std::uint8_t> layer = fakes::VideoObjectLayerOfSize(
        static_cast<std::uint32_t>(c.width), static_cast<std::uint32_t>(c.height));
    std::uint32_t info = 0;
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdStreamInfo, const_cast<std::uint8_t*>(layer.data()), &info,
                            static_cast<std::int32_t>(layer.size()), 0, 0),
              kMp4DecOk);
    EXPECT_EQ(info, c.packed) << c.width << "x" << c.height;
    Mp4DecStreamSize size;
    EXPECT_TRUE(Mp4DecReadStreamSize(layer.data(), static_cast<std::int32_t>(layer.size()), &size));
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
  }
  Mp4DecStreamSize untouched{7, 9};
  const std::uint8_t vop[] = {0x00, 0x00, 0x01, 0xB6, 0x10, 0x20};
  EXPECT_FALSE(Mp4DecReadStreamSize(vop, 6, &untouched));
  EXPECT_FALSE(Mp4DecReadStreamSize(nullptr, 6, &untouched));
  EXPECT_EQ(untouched.width, 7);
  EXPECT_EQ(untouched.height, 9);
}

TEST(Mp4DecControl, LaterInitialisationLeavesTheZeroedTimeResolution) {
  // Whatever ran before in this process, a second initialisation never sets 15.
  DecoderHarness first(64, 48, 3, 0);
  DecoderHarness second(64, 48, 3, 0);
  EXPECT_EQ(second.Ctx().vol.vop_time_increment_resolution, 0);
}

}  // namespace

namespace {

TEST(Mp4DecControl, PlanarAndPackedOutputNeedAStrideOfAtLeastTheWidth) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  for (int mode : {2, 3}) {
    DecoderHarness h(64, 48, mode, 0);
    Mp4DecFrameIo io;
    io.output = h.output.data();
    io.input = frames[0].data();
    io.inputLength = static_cast<std::int32_t>(frames[0].size());
    io.outputSwitch = 1;
    io.outputStride = 32;
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdDecode, &io, &h.inst, 0, 0, 0), kMp4DecRefused) << mode;
    EXPECT_EQ(h.Ctx().mb.decodedVops, 0);
    io.outputSwitch = 0;  // no picture: any stride
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdDecode, &io, &h.inst, 0, 0, 0), kMp4DecOk) << mode;
    io.outputSwitch = 1;
    io.outputStride = 64;
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdDecode, &io, &h.inst, 0, 0, 0), kMp4DecOk) << mode;
  }
}

TEST(Mp4DecControl, AContextChangedAfterInitialisationIsNotTrusted) {
  const auto frames = FixtureFrames("i_64x48_q3.m4v");
  DecoderHarness h(64, 48, 3, 0);
  h.Ctx().geometry.mbColumns = 60;  // would walk past the maps and the frame
  EXPECT_EQ(h.Decode(frames[0]), kMp4DecRefused);
  DecoderHarness g(64, 48, 3, 0);
  g.Ctx().geometry.width = 1000;
  EXPECT_EQ(g.Decode(frames[0]), kMp4DecRefused);
}

}  // namespace
