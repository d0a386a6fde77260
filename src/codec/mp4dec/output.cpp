#include "codec/mp4dec/output.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codec/mp4dec/output_paths.h"
#include "codec/mp4dec/postfilter.h"
#include "prim/prim_yuv.h"

namespace {

struct Mode {
  Mp4DecConverter converter;
  std::int32_t orientation;
};

constexpr Mode kModes[12] = {
    {nullptr, 1},
    {Mp4DecYuvToBgrPrim, 1},
    {Mp4DecYuvToUyvy, 1},
    {Mp4DecCopyPlanar, 1},
    {Mp4DecYuvToRgb32, -1},
    {Mp4DecYuvToRgb24, -1},
    {Mp4DecYuvToRgb555, -1},
    {Mp4DecYuvToRgb565, -1},
    {Mp4DecYuvToRgb32, 1},
    {Mp4DecYuvToRgb24, 1},
    {Mp4DecYuvToRgb555, 1},
    {Mp4DecYuvToRgb565, 1},
};

std::uint8_t Clamp255(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Source row that output row j shows: top-down, or bottom-up for a negative height.
int SourceRow(int j, int height, bool bottomUp) {
  return bottomUp ? height - 1 - j : j;
}

// Every row of the picture through the row kernel of the path in use; output rows are packed
// one after another, `rowBytes` apart.
void ConvertRows(Mp4DecPixelFormat format, const std::uint8_t* y, std::int32_t yStride,
                 const std::uint8_t* u, const std::uint8_t* v, std::int32_t chromaStride,
                 std::uint8_t* output, std::int32_t signedHeight, std::ptrdiff_t rowBytes,
                 std::int32_t width) {
  Mp4DecColourRowFn* const convert = Mp4DecColourRowPaths(format).InUse();
  const int height = std::abs(signedHeight);
  const bool bottomUp = signedHeight < 0;
  for (int j = 0; j < height; ++j) {
    const int row = SourceRow(j, height, bottomUp);
    convert(y + static_cast<std::ptrdiff_t>(row) * yStride,
            u + static_cast<std::ptrdiff_t>(row >> 1) * chromaStride,
            v + static_cast<std::ptrdiff_t>(row >> 1) * chromaStride, output + j * rowBytes, width);
  }
}

// Runs `store(out, pixel)` over the pixels of one row, `bytes` per pixel.
template <typename Store>
void RgbRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, std::uint8_t* out,
            std::int32_t width, int bytes, Store store) {
  for (int i = 0; i < width; ++i) {
    store(out + i * bytes, Mp4DecYuvToBgrPixel(y[i], u[i >> 1], v[i >> 1]));
  }
}

}  // namespace

Mp4DecBgr Mp4DecYuvToBgrPixel(std::uint8_t yy, std::uint8_t uu, std::uint8_t vv) {
  const int y = std::max(yy - 16, 0);
  const int u = uu - 128;
  const int v = vv - 128;
  const int l = (8 * y * 9576) >> 16;
  const int r = l + ((8 * v * 13123) >> 16);
  const int g = l + ((8 * u * -3218) >> 16) + ((8 * v * -6686) >> 16);
  const int b = l + ((8 * u * 16591) >> 16);
  return {Clamp255(b), Clamp255(g), Clamp255(r)};
}

void Mp4DecRgb32Row_Scalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                           std::uint8_t* out, std::int32_t width) {
  RgbRow(y, u, v, out, width, 4, [](std::uint8_t* p, Mp4DecBgr c) {
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    p[3] = 0;
  });
}

void Mp4DecRgb24Row_Scalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                           std::uint8_t* out, std::int32_t width) {
  RgbRow(y, u, v, out, width, 3, [](std::uint8_t* p, Mp4DecBgr c) {
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  });
}

void Mp4DecRgb555Row_Scalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                            std::uint8_t* out, std::int32_t width) {
  RgbRow(y, u, v, out, width, 2, [](std::uint8_t* p, Mp4DecBgr c) {
    const auto word =
        static_cast<std::uint16_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
    p[0] = static_cast<std::uint8_t>(word & 0xFF);
    p[1] = static_cast<std::uint8_t>(word >> 8);
  });
}

void Mp4DecRgb565Row_Scalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                            std::uint8_t* out, std::int32_t width) {
  RgbRow(y, u, v, out, width, 2, [](std::uint8_t* p, Mp4DecBgr c) {
    const auto word =
        static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
    p[0] = static_cast<std::uint8_t>(word & 0xFF);
    p[1] = static_cast<std::uint8_t>(word >> 8);
  });
}

void Mp4DecUyvyRow_Scalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          std::uint8_t* out, std::int32_t width) {
  for (int i = 0; i + 1 < width; i += 2) {
    out[2 * i] = u[i >> 1];
    out[2 * i + 1] = y[i];
    out[2 * i + 2] = v[i >> 1];
    out[2 * i + 3] = y[i + 1];
  }
}

const PrimGenericPaths<Mp4DecColourRowFn>& Mp4DecColourRowPaths(Mp4DecPixelFormat format) {
#if defined(__x86_64__)
  static constexpr PrimGenericPaths<Mp4DecColourRowFn> kPaths[] = {
      {Mp4DecRgb32Row_Scalar, Mp4DecRgb32Row_Sse2, Mp4DecRgb32Row_Avx2},
      {Mp4DecRgb24Row_Scalar, Mp4DecRgb24Row_Sse2, Mp4DecRgb24Row_Avx2},
      {Mp4DecRgb555Row_Scalar, Mp4DecRgb555Row_Sse2, Mp4DecRgb555Row_Avx2},
      {Mp4DecRgb565Row_Scalar, Mp4DecRgb565Row_Sse2, Mp4DecRgb565Row_Avx2},
      {Mp4DecUyvyRow_Scalar, Mp4DecUyvyRow_Sse2, Mp4DecUyvyRow_Avx2}};
#else
  static constexpr PrimGenericPaths<Mp4DecColourRowFn> kPaths[] = {
      {Mp4DecRgb32Row_Scalar, Mp4DecRgb32Row_Scalar, Mp4DecRgb32Row_Scalar},
      {Mp4DecRgb24Row_Scalar, Mp4DecRgb24Row_Scalar, Mp4DecRgb24Row_Scalar},
      {Mp4DecRgb555Row_Scalar, Mp4DecRgb555Row_Scalar, Mp4DecRgb555Row_Scalar},
      {Mp4DecRgb565Row_Scalar, Mp4DecRgb565Row_Scalar, Mp4DecRgb565Row_Scalar},
      {Mp4DecUyvyRow_Scalar, Mp4DecUyvyRow_Scalar, Mp4DecUyvyRow_Scalar}};
#endif
  return kPaths[static_cast<int>(format)];
}

void Mp4DecYuvToRgb32(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t, std::uint8_t*) {
  ConvertRows(Mp4DecPixelFormat::kRgb32, y, yStride, u, v, chromaStride, output, signedHeight,
              std::ptrdiff_t{width} * 4, width);
}

void Mp4DecYuvToRgb24(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t, std::uint8_t*) {
  ConvertRows(Mp4DecPixelFormat::kRgb24, y, yStride, u, v, chromaStride, output, signedHeight,
              std::ptrdiff_t{width} * 3, width);
}

void Mp4DecYuvToRgb555(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                       const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                       std::int32_t width, std::int32_t signedHeight, std::int32_t, std::uint8_t*) {
  ConvertRows(Mp4DecPixelFormat::kRgb555, y, yStride, u, v, chromaStride, output, signedHeight,
              std::ptrdiff_t{width} * 2, width);
}

void Mp4DecYuvToRgb565(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                       const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                       std::int32_t width, std::int32_t signedHeight, std::int32_t, std::uint8_t*) {
  ConvertRows(Mp4DecPixelFormat::kRgb565, y, yStride, u, v, chromaStride, output, signedHeight,
              std::ptrdiff_t{width} * 2, width);
}

void Mp4DecYuvToUyvy(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                     const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                     std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                     std::uint8_t*) {
  ConvertRows(Mp4DecPixelFormat::kUyvy, y, yStride, u, v, chromaStride, output, signedHeight,
              std::ptrdiff_t{outputStride} * 2, width);
}

void Mp4DecCopyPlanar(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                      std::uint8_t*) {
  const int height = std::abs(signedHeight);
  const bool bottomUp = signedHeight < 0;
  const std::ptrdiff_t stride = outputStride;
  for (int j = 0; j < height; ++j) {
    const int row = SourceRow(j, height, bottomUp);
    std::memcpy(output + j * stride, y + static_cast<std::ptrdiff_t>(row) * yStride,
                static_cast<std::size_t>(width));
  }
  std::uint8_t* vOut = output + stride * height;
  std::uint8_t* uOut = output + (stride * height * 5) / 4;
  const int chromaHeight = height / 2;
  const std::ptrdiff_t chromaPitch = stride / 2;
  for (int j = 0; j < chromaHeight; ++j) {
    const int row = SourceRow(j, chromaHeight, bottomUp);
    std::memcpy(vOut + j * chromaPitch, v + static_cast<std::ptrdiff_t>(row) * chromaStride,
                static_cast<std::size_t>(width / 2));
    std::memcpy(uOut + j * chromaPitch, u + static_cast<std::ptrdiff_t>(row) * chromaStride,
                static_cast<std::size_t>(width / 2));
  }
}

namespace {

// One row of samples kStep bytes apart from kFirst. For each sample B between A above and C below
// (halved samples, 16-bit arithmetic) the test replaces combing by the average of A and C and
// keeps gradients. `out` may be `line`.
template <std::ptrdiff_t kFirst, std::ptrdiff_t kStep>
void DeinterlaceSamples(const std::uint8_t* above, const std::uint8_t* line,
                        const std::uint8_t* below, std::uint8_t* out, std::int32_t width) {
  for (int i = 0; i < width; ++i) {
    const std::ptrdiff_t at = kFirst + i * kStep;
    const int a = above[at] >> 1;
    const int b = line[at] >> 1;
    const int c = below[at] >> 1;
    const auto d = static_cast<std::int16_t>((a - b) * (c - b));
    const auto square = static_cast<std::uint16_t>((a - c) * (a - c));
    const int e = (square >> 12) * 625;
    std::uint8_t value = line[at];
    if (static_cast<std::int16_t>(d - e) > 73) {
      value = static_cast<std::uint8_t>(a + c);
    }
    if constexpr (kStep == 2) {
      out[at - 1] = line[at - 1];  // the pixel's chroma byte
    }
    out[at] = value;
  }
}

// The odd rows 1, 3, ..., height - 3 in place (the even rows are never changed, so each odd row
// reads the original rows around it).
void DeinterlaceInPlace(Mp4DecDeinterlaceRowFn* row, std::uint8_t* pixels, std::int32_t stride,
                        std::int32_t width, std::int32_t height) {
  for (int r = 1; r <= height - 3; r += 2) {
    std::uint8_t* line = pixels + static_cast<std::ptrdiff_t>(r) * stride;
    row(line - stride, line, line + stride, line, width);
  }
}

}  // namespace

void Mp4DecDeinterlaceRow_Scalar(const std::uint8_t* above, const std::uint8_t* line,
                                 const std::uint8_t* below, std::uint8_t* out, std::int32_t width) {
  DeinterlaceSamples<0, 1>(above, line, below, out, width);
}

void Mp4DecDeinterlacePackedRow_Scalar(const std::uint8_t* above, const std::uint8_t* line,
                                       const std::uint8_t* below, std::uint8_t* out,
                                       std::int32_t width) {
  DeinterlaceSamples<1, 2>(above, line, below, out, width);
}

const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlaceRowPaths() {
#if defined(__x86_64__)
  static constexpr PrimGenericPaths<Mp4DecDeinterlaceRowFn> paths{
      Mp4DecDeinterlaceRow_Scalar, Mp4DecDeinterlaceRow_Sse2, Mp4DecDeinterlaceRow_Avx2};
#else
  static constexpr PrimGenericPaths<Mp4DecDeinterlaceRowFn> paths{
      Mp4DecDeinterlaceRow_Scalar, Mp4DecDeinterlaceRow_Scalar, Mp4DecDeinterlaceRow_Scalar};
#endif
  return paths;
}

const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlacePackedRowPaths() {
#if defined(__x86_64__)
  static constexpr PrimGenericPaths<Mp4DecDeinterlaceRowFn> paths{Mp4DecDeinterlacePackedRow_Scalar,
                                                                  Mp4DecDeinterlacePackedRow_Sse2,
                                                                  Mp4DecDeinterlacePackedRow_Avx2};
#else
  static constexpr PrimGenericPaths<Mp4DecDeinterlaceRowFn> paths{
      Mp4DecDeinterlacePackedRow_Scalar, Mp4DecDeinterlacePackedRow_Scalar,
      Mp4DecDeinterlacePackedRow_Scalar};
#endif
  return paths;
}

void Mp4DecDeinterlaceRows(std::uint8_t* pixels, std::int32_t stride, std::int32_t width,
                           std::int32_t height) {
  DeinterlaceInPlace(Mp4DecDeinterlaceRowPaths().InUse(), pixels, stride, width, height);
}

void Mp4DecDeinterlacePacked(std::uint8_t* pixels, std::int32_t stride, std::int32_t width,
                             std::int32_t height) {
  DeinterlaceInPlace(Mp4DecDeinterlacePackedRowPaths().InUse(), pixels, stride, width, height);
}

void Mp4DecDeinterlaceLuma(std::uint8_t* rowStart, std::int32_t stride, std::int32_t height) {
  const int s = static_cast<std::uint16_t>(stride);
  const int h = static_cast<std::uint16_t>(height);
  Mp4DecDeinterlaceRows(rowStart + 32, s, s - 64, h);
}

namespace {

// Rows of the 24-bit picture converted per call of the primitive: the deinterlaced luma of a
// band is built in the scratch area (a few kilobytes that stay in the first-level cache), so
// the decoded luma is read once and no whole-plane copy is made. Even, so that a band that
// starts on the first row of a chroma pair ends on the last row of one.
constexpr int kBandRows = 16;

// Source row `row` of the luma plane as the deinterlaced copy holds it, into `out`: odd rows
// 1 .. height - 3 deinterlaced from the rows around them, the others as they are.
void DeinterlacedLumaRow(Mp4DecDeinterlaceRowFn* deinterlace, const std::uint8_t* y,
                         std::int32_t yStride, int row, int height, std::uint8_t* out,
                         std::int32_t width) {
  const std::uint8_t* line = y + static_cast<std::ptrdiff_t>(row) * yStride;
  if ((row & 1) != 0 && row <= height - 3) {
    deinterlace(line - yStride, line, line + yStride, out, width);
  } else {
    std::memcpy(out, line, static_cast<std::size_t>(width));
  }
}

// The walk of the 24-bit picture through the planes. Output row j shows luma row
// height - 1 - j bottom-up (j top-down) and that luma row's chroma row, half its number.
struct BgrWalk {
  const std::uint8_t* u;
  const std::uint8_t* v;
  std::int32_t chromaStride;
  std::uint8_t* output;
  std::int32_t width;
  std::int32_t height;
  bool bottomUp;

  int LumaRow(int j) const { return bottomUp ? height - 1 - j : j; }

  // Output rows taken alone before the first band. The primitive gives the rows of a call in
  // pairs, each pair one chroma row, so a call must start on the first row of a pair as the
  // walk meets them: an even luma row top-down, an odd one bottom-up. Bottom-up at an odd
  // height the walk starts on the last luma row, an even row alone on its chroma row: it goes
  // in a call of its own.
  int LeadRows() const { return bottomUp && height % 2 != 0 ? 1 : 0; }
};

// Output rows [first, first + rows) of the walk through one call of the primitive, their luma
// read from `luma` (output row first's) `lumaStep` bytes a row.
void ConvertBand(BgrWalk walk, const std::uint8_t* luma, std::int32_t lumaStep, int first,
                 int rows) {
  const std::ptrdiff_t chroma =
      static_cast<std::ptrdiff_t>(walk.LumaRow(first) / 2) * walk.chromaStride;
  const std::int32_t chromaStep = walk.bottomUp ? -walk.chromaStride : walk.chromaStride;
  const std::uint8_t* planes[3] = {luma, walk.u + chroma, walk.v + chroma};
  const std::int32_t steps[3] = {lumaStep, chromaStep, chromaStep};
  primYUV420ToBGR_8u_P3C3R(planes, steps,
                           walk.output + static_cast<std::ptrdiff_t>(first) * walk.width * 3,
                           walk.width * 3, walk.width, rows);
}

}  // namespace

void Mp4DecYuvToBgrPrim(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                        const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                        std::int32_t width, std::int32_t signedHeight, std::int32_t,
                        std::uint8_t* scratch) {
  const int height = std::abs(signedHeight);
  if (scratch == nullptr || width < 1 || height < 1) {
    return;  // no luma copy: no picture
  }
  // Bottom-up by reading the planes upward (top-down when the orientation is turned).
  const BgrWalk walk{u, v, chromaStride, output, width, height, signedHeight > 0};
  const int lead = walk.LeadRows();
  Mp4DecDeinterlaceRowFn* const deinterlace = Mp4DecDeinterlaceRowPaths().InUse();
  if (y == scratch) {
    // The post-filtered luma already lies in the scratch area: deinterlaced in place and
    // converted as one band (after the lead row).
    DeinterlaceInPlace(deinterlace, scratch, yStride, width, height);
    const std::int32_t lumaStep = walk.bottomUp ? -yStride : yStride;
    const auto lumaOf = [&](int j) {
      return scratch + static_cast<std::ptrdiff_t>(walk.LumaRow(j)) * yStride;
    };
    if (lead != 0) {
      ConvertBand(walk, lumaOf(0), lumaStep, 0, lead);
    }
    if (lead < height) {
      ConvertBand(walk, lumaOf(lead), lumaStep, lead, height - lead);
    }
    return;
  }
  const int rowStep = walk.bottomUp ? -1 : 1;
  for (int first = 0; first < height;) {
    const int rows = first == 0 && lead != 0 ? lead : std::min(kBandRows, height - first);
    int row = walk.LumaRow(first);
    for (int k = 0; k < rows; ++k, row += rowStep) {
      DeinterlacedLumaRow(deinterlace, y, yStride, row, height,
                          scratch + static_cast<std::ptrdiff_t>(k) * width, width);
    }
    ConvertBand(walk, scratch, width, first, rows);
    first += rows;
  }
}

int Mp4DecSelectOutput(Mp4DecContext& ctx, std::int32_t mode) {
  ctx.orientation = 1;
  if (mode >= 1 && mode <= 11) {
    ctx.converter = kModes[mode].converter;
    ctx.orientation = kModes[mode].orientation;
  }
  return 1;
}

void Mp4DecOutputFrame(Mp4DecInstance& inst, std::uint8_t* const origins[3], std::uint8_t* output,
                       std::int32_t stride, std::int32_t outputSwitch) {
  const Mp4DecContext& ctx = ContextOf(inst);
  if (outputSwitch == 0 || ctx.converter == nullptr || output == nullptr) {
    return;
  }
  const Mp4DecGeometry& g = ctx.geometry;
  if (ctx.postFilter != 0 && inst.outputPlane[0] != nullptr) {
    // The filtered copy goes to the output planes; the decoded frame stays the reference.
    Mp4DecPostFilter(origins, g.paddedLumaWidth, inst.outputPlane, g.width, g.width, g.height,
                     &ctx.quantMap[1][1], kQuantMapColumns, ctx.postFilterStrength);
    ctx.converter(inst.outputPlane[0], g.width, inst.outputPlane[1], inst.outputPlane[2],
                  Mp4DecChromaSpan(g.width), output, g.width, g.height * ctx.orientation, stride,
                  inst.outputPlaneBuffer);
    return;
  }
  ctx.converter(origins[0], g.paddedLumaWidth, origins[1], origins[2], g.paddedChromaWidth, output,
                g.width, g.height * ctx.orientation, stride, inst.outputPlaneBuffer);
}

std::size_t Mp4DecOutputBytes(std::int32_t mode, std::int32_t width, std::int32_t height,
                              std::int32_t stride) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  const auto h = static_cast<std::size_t>(std::max(height, 0));
  const auto s = static_cast<std::size_t>(std::max(stride, 0));
  switch (mode) {
    case 1:
    case 5:
    case 9:
      return 3 * w * h;
    case 4:
    case 8:
      return 4 * w * h;
    case 6:
    case 7:
    case 10:
    case 11:
      return 2 * w * h;
    case 2:
      return 2 * s * h;
    case 3:
      return s * h * 3 / 2;
    default:
      return 0;
  }
}
