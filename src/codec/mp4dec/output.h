// Output of a decoded picture: the converters of the eleven output modes, the luma
// deinterlacer of mode 1 and the output-mode choice.
#pragma once

#include <cstdint>

#include "codec/mp4dec/context.h"

// Chooses the converter and orientation of an output mode. Orientation is set to +1 first; a
// mode outside 1..11 keeps the converter as it was. Result 1.
int Mp4DecSelectOutput(Mp4DecContext& ctx, std::int32_t mode);

// Converts the frame at `origins` (Y, U, V visible origins of a decoded frame) into `output`
// when the switch is on and a converter is chosen.
void Mp4DecOutputFrame(Mp4DecInstance& inst, std::uint8_t* const origins[3], std::uint8_t* output,
                       std::int32_t stride, std::int32_t outputSwitch);

// Converters (see Mp4DecConverter).
void Mp4DecYuvToBgrPrim(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                        const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                        std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                        std::uint8_t* scratch);
void Mp4DecYuvToUyvy(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                     const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                     std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                     std::uint8_t* scratch);
void Mp4DecCopyPlanar(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                      std::uint8_t* scratch);
void Mp4DecYuvToRgb32(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                      std::uint8_t* scratch);
void Mp4DecYuvToRgb24(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                      const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                      std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                      std::uint8_t* scratch);
void Mp4DecYuvToRgb555(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                       const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                       std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                       std::uint8_t* scratch);
void Mp4DecYuvToRgb565(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                       const std::uint8_t* v, std::int32_t chromaStride, std::uint8_t* output,
                       std::int32_t width, std::int32_t signedHeight, std::int32_t outputStride,
                       std::uint8_t* scratch);

// The colour rule of modes 4 to 11 for one pixel: B, G, R.
struct Mp4DecBgr {
  std::uint8_t b;
  std::uint8_t g;
  std::uint8_t r;
};
Mp4DecBgr Mp4DecYuvToBgrPixel(std::uint8_t y, std::uint8_t u, std::uint8_t v);

// Deinterlaces the odd rows 1, 3, ..., height - 3 of a luma plane in place. `rowStart` is the
// start of a row with a 32-pixel border on each side (pixels begin 32 bytes after it; the
// width is stride - 64).
void Mp4DecDeinterlaceLuma(std::uint8_t* rowStart, std::int32_t stride, std::int32_t height);
// The same rule on a plane without borders.
void Mp4DecDeinterlaceRows(std::uint8_t* pixels, std::int32_t stride, std::int32_t width,
                           std::int32_t height);
// The same rule on the luma bytes of a packed image with two bytes a pixel, as mode 2 writes it
// (U Y V Y: the luma byte of pixel i at byte 2i + 1 of its row); `stride` in bytes, `width` in
// pixels. No converter calls it.
void Mp4DecDeinterlacePacked(std::uint8_t* pixels, std::int32_t stride, std::int32_t width,
                             std::int32_t height);
