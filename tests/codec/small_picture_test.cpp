// Pictures of small and odd sizes through every output mode, with the post-filter on and off,
// in blocks of exactly the sizes the size query gives and an output buffer of exactly the bytes
// the mode needs: the sanitizers catch any access outside them, and the filtered picture of a
// flat frame must equal the unfiltered one (the output planes hold all of its chroma). Mode 1
// at odd heights: each output row with the chroma row of its own luma row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/mp4dec.h"
#include "codec/mp4dec/output.h"
#include "codec/mp4dec/postfilter.h"
#include "mode1_reference.h"
#include "mp4dec_harness.h"

namespace {

// A plain VOL of width x height (time resolution 25: a 5-bit increment).
void WriteVol(BitWriter& w, int width, int height) {
  w.Bytes({0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20});
  w.Put(0, 1).Put(1, 8).Put(0, 1).Put(1, 4).Put(0, 1);    // type simple, aspect 1, no vbv
  w.Put(0, 2).Put(1, 1).Put(25, 16).Put(1, 1).Put(0, 1);  // rectangular, resolution 25
  w.Put(1, 1).Put(static_cast<std::uint32_t>(width), 13).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(height), 13).Put(1, 1);
  w.Put(0, 1).Put(1, 1).Put(0, 1).Put(0, 1).Put(0, 1);  // progressive, obmc off, no sprite, 8-bit
  w.Put(1, 1).Put(1, 1).Put(0, 1).Put(0, 1);            // no complexity, no resync, no scalability
  w.Stuff();
}

// chroma_dc size code and differential bits of a difference of -3..3.
void PutChromaDc(BitWriter& w, int difference) {
  if (difference == 0) {
    w.Code("11");
    return;
  }
  const int size = std::abs(difference) == 1 ? 1 : 2;
  w.Code(size == 1 ? "10" : "01");
  // A negative difference is sent as difference + 2^size - 1.
  w.Put(static_cast<std::uint32_t>(difference > 0 ? difference : difference + (1 << size) - 1),
        size);
}

// The VOL and an I-VOP whose macroblocks are all intra and not coded, every luma DC difference
// 0: a flat grey luma. The first macroblock of each row codes the chroma DC differences
// `uStep` and `vStep` (-3..3) against the row above, and the rest of the row predicts from its
// left neighbour: each macroblock row has a chroma of its own (the whole picture flat grey when
// both are 0).
std::vector<std::uint8_t> IntraFrame(int width, int height, int uStep = 0, int vStep = 0) {
  BitWriter w;
  WriteVol(w, width, height);
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(0, 2).Put(0, 1).Put(1, 1).Put(1, 5).Put(1, 1).Put(1, 1);  // I, time, coded
  w.Put(0, 3).Put(8, 5);                                          // intra_dc_vlc_thr 0, quant 8
  const int columns = (width + 15) / 16;
  const int macroblocks = columns * ((height + 15) / 16);
  for (int mb = 0; mb < macroblocks; ++mb) {
    w.Code("1").Put(0, 1).Code("0011");  // MCBPC type 3 cbpc 0, ac_pred 0, CBPY 0
    for (int b = 0; b < 4; ++b) {
      w.Code("011");  // luma DC size 0
    }
    const bool rowStart = mb % columns == 0;
    PutChromaDc(w, rowStart ? uStep : 0);
    PutChromaDc(w, rowStart ? vStep : 0);
  }
  w.Stuff();
  return w.Data();
}

// A VOP that is not coded: the last picture again (or the zeroed frame before any).
std::vector<std::uint8_t> NotCodedVop() {
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(1, 2).Put(0, 1).Put(1, 1).Put(2, 5).Put(1, 1).Put(0, 1);
  w.Stuff();
  return w.Data();
}

struct Size {
  int width;
  int height;
};

constexpr Size kSizes[] = {{1, 1},  {1, 2},  {2, 1},   {2, 2},   {1, 3},   {3, 1},
                           {3, 3},  {5, 2},  {2, 5},   {7, 1},   {15, 17}, {17, 15},
                           {33, 3}, {1, 31}, {31, 33}, {720, 1}, {1, 576}};

// One decoder of its own for a size, a mode and the post-filter switch, its output buffer of
// exactly the mode's bytes (an empty buffer stands for none).
struct SmallDecoder {
  SmallDecoder(Size s, int mode, bool filtered)
      : h(s.width, s.height, mode, 0), postFiltered(filtered) {
    h.Ctx().vol.vop_time_increment_resolution = 25;  // as the VOL gives, before any VOL too
    if (filtered) {
      h.Ctx().postFilter = 1;
    }
    h.output.assign(Mp4DecOutputBytes(mode, s.width, s.height, s.width), 0xCD);
  }
  std::int32_t Decode(const std::vector<std::uint8_t>& frame) {
    Mp4DecFrameIo io;
    io.output = h.output.empty() ? nullptr : h.output.data();
    io.input = frame.data();
    io.inputLength = static_cast<std::int32_t>(frame.size());
    io.outputSwitch = io.output != nullptr ? 1 : 0;
    io.outputStride = h.inst.width;
    return Mp4DecControl(1, kMp4DecCmdDecode, &io, &h.inst, 0, 0, 0);
  }
  // What mode 1 must show of the picture last decoded, built row by row from the planes the
  // converter reads: the decoded frame, its luma deinterlaced here in a copy; or, with the
  // post-filter, the output planes, whose luma the converter deinterlaces where it lies.
  std::vector<std::uint8_t> Mode1Expected() {
    const Mp4DecGeometry& g = h.Ctx().geometry;
    if (postFiltered) {
      return mode1_reference::Picture(h.inst.outputPlane[0], g.width, h.inst.outputPlane[1],
                                      h.inst.outputPlane[2], Mp4DecChromaSpan(g.width), g.width,
                                      g.height, true);
    }
    std::vector<std::uint8_t> luma(static_cast<std::size_t>(g.width) * g.height);
    for (int r = 0; r < g.height; ++r) {
      std::copy_n(h.inst.decodeOrigin[0] + static_cast<std::ptrdiff_t>(r) * g.paddedLumaWidth,
                  g.width, luma.begin() + static_cast<std::ptrdiff_t>(r) * g.width);
    }
    Mp4DecDeinterlaceRows(luma.data(), g.width, g.width, g.height);
    return mode1_reference::Picture(luma.data(), g.width, h.inst.decodeOrigin[1],
                                    h.inst.decodeOrigin[2], g.paddedChromaWidth, g.width, g.height,
                                    true);
  }
  DecoderHarness h;
  bool postFiltered;
};

TEST(SmallPictures, EveryModeStaysInsideTheQueriedBlocksAndFilteredEqualsPlainOnAFlatFrame) {
  const std::vector<std::uint8_t> notCoded = NotCodedVop();
  for (const Size s : kSizes) {
    const std::vector<std::uint8_t> frame = IntraFrame(s.width, s.height);
    for (int mode = kMp4DecModeBgrBottomUp; mode <= kMp4DecModeRgb565; ++mode) {
      const std::string what = std::to_string(s.width) + "x" + std::to_string(s.height) + " mode " +
                               std::to_string(mode);
      SmallDecoder plain(s, mode, false);
      SmallDecoder filtered(s, mode, true);
      ASSERT_EQ(plain.h.initResult, kMp4DecOk) << what;
      ASSERT_EQ(filtered.h.initResult, kMp4DecOk) << what;
      // Before any picture, then the picture, then the picture repeated.
      EXPECT_EQ(filtered.Decode(notCoded), kMp4DecOk) << what;
      for (SmallDecoder* run : {&plain, &filtered}) {
        EXPECT_EQ(run->Decode(frame), kMp4DecOk) << what;
      }
      if (mode == kMp4DecModeBgrBottomUp) {
        // Each row from its own rows of the planes: none shows a border or another plane.
        EXPECT_EQ(plain.h.output, plain.Mode1Expected()) << what;
        EXPECT_EQ(filtered.h.output, filtered.Mode1Expected()) << what;
      }
      const auto same = [&] { return plain.h.output == filtered.h.output; };
      EXPECT_TRUE(same()) << what;
      for (SmallDecoder* run : {&plain, &filtered}) {
        EXPECT_EQ(run->Decode(notCoded), kMp4DecOk) << what;
      }
      EXPECT_TRUE(same()) << what;
    }
  }
}

// Mode 1 of pictures whose chroma changes from macroblock row to macroblock row, at odd and
// even heights, the post-filter off and on: every output row (bottom-up) shows its own luma row
// with that row's chroma row. 704 x 575 is a size a server's log-in reply may give.
TEST(OddHeights, Mode1RowsTakeTheChromaRowOfTheirLumaRow) {
  for (const Size s :
       {Size{704, 575}, Size{33, 17}, Size{720, 33}, Size{17, 3}, Size{16, 1}, Size{48, 32}}) {
    const std::vector<std::uint8_t> frame = IntraFrame(s.width, s.height, 2, -1);
    for (const bool filtered : {false, true}) {
      const std::string what = std::to_string(s.width) + "x" + std::to_string(s.height) +
                               (filtered ? " post-filtered" : "");
      SmallDecoder d(s, kMp4DecModeBgrBottomUp, filtered);
      ASSERT_EQ(d.h.initResult, kMp4DecOk) << what;
      ASSERT_EQ(d.Decode(frame), kMp4DecOk) << what;
      EXPECT_EQ(d.h.output, d.Mode1Expected()) << what;
    }
  }
}

// The output-plane count covers the three planes where initialisation places them: the luma
// plane of w x h, then two chroma planes of a column and a row for every two luma ones, the last
// of an odd size included. Every size but a single row or column of an odd length keeps
// w*h + 2((w*h) >> 1).
TEST(SmallPictures, OutputPlaneCountCoversThePlacedPlanes) {
  for (const Size s : kSizes) {
    DecoderHarness h(s.width, s.height, kMp4DecModeRgb24, 0);
    ASSERT_EQ(h.initResult, kMp4DecOk);
    const std::size_t luma = static_cast<std::size_t>(s.width) * s.height;
    const std::size_t chroma =
        static_cast<std::size_t>((s.width + 1) / 2) * static_cast<std::size_t>((s.height + 1) / 2);
    const std::uint8_t* base = h.planes.data();
    EXPECT_EQ(h.inst.outputPlane[0], base);
    EXPECT_EQ(h.inst.outputPlane[1], base + luma);
    EXPECT_EQ(h.inst.outputPlane[2], base + luma + chroma);
    EXPECT_GE(h.planes.size(), luma + 2 * chroma) << s.width << "x" << s.height;
    const bool oddLine = (s.width == 1 && s.height % 2 == 1) || (s.height == 1 && s.width % 2 == 1);
    if (!oddLine) {
      EXPECT_EQ(h.planes.size(), luma + 2 * (luma >> 1)) << s.width << "x" << s.height;
    }
  }
}

// The fuzz target's finding: 1 x 1, mode 7 (16-bit RGB, bottom-up), reference mode 1, the
// post-filter on, a VOP that is not coded.
TEST(SmallPictures, OneByOneNotCodedVopWithThePostFilter) {
  const std::vector<std::uint8_t> input = {0x00, 0x00, 0x01, 0xB6, 0x24};
  std::vector<std::uint8_t> shown[2];
  for (const int filtered : {0, 1}) {
    DecoderHarness h(1, 1, kMp4DecModeRgb565Flip, 1);
    ASSERT_EQ(h.initResult, kMp4DecOk);
    h.Ctx().vol.vop_time_increment_resolution = 0;  // a later initialisation's: 1-bit increment
    h.Ctx().postFilter = filtered;
    h.output.assign(Mp4DecOutputBytes(kMp4DecModeRgb565Flip, 1, 1, 1), 0xCD);
    EXPECT_EQ(h.Decode(input), kMp4DecOk);
    shown[filtered] = h.output;
  }
  // The zeroed frame (Y, U and V 0) as one 16-bit pixel, with the filter as without.
  EXPECT_EQ(shown[0], (std::vector<std::uint8_t>{0xC0, 0x04}));
  EXPECT_EQ(shown[1], shown[0]);
}

}  // namespace
