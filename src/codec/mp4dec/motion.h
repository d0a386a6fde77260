// Motion compensation of P-VOP macroblocks: the fourteen half-sample kernels (width 8 or 16,
// position, rounding control) in SSE2 and in C, and the block and macroblock predictors that
// choose among them.
// Every reference position is clamped to the padded reference plane, so no vector, however
// large, reads outside the frame buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/mp4dec/context.h"

// One kernel: `height` rows of its width from `source` to `destination`, both at `stride`.
using Mp4DecMcKernel = void (*)(const std::uint8_t* source, std::uint8_t* destination,
                                std::ptrdiff_t stride, int height);

void Mp4DecMcCopy8(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHx8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHy8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHxy8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHx8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHy8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHxy8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcCopy16(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHx16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHy16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHxy16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHx16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHy16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);
void Mp4DecMcHxy16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height);

// The SSE2 kernels the decoder runs. Index = (width != 8) * 8 + rounding * 4 + (mvy & 1) * 2 +
// (mvx & 1).
extern const std::array<Mp4DecMcKernel, 16> kMp4DecMcKernels;
// The same kernels in C, one sample at a time, at the same index: the half-sample rule as it
// reads, (a + b + 1 - rounding) >> 1 between two samples and (a + b + c + d + 2 - rounding) >> 2
// between four, and the reference the SSE2 forms are tested against.
extern const std::array<Mp4DecMcKernel, 16> kMp4DecMcKernelsGeneric;

// One reference plane as motion compensation sees it: the visible origin, the row step (twice
// the plane stride for a field), the visible size in those rows and the padding around it.
struct Mp4DecMcPlane {
  const std::uint8_t* origin;
  std::ptrdiff_t stride;
  int width;
  int height;
  int border;
};

// Predicts a width x height block whose top-left sample is (x, y) of the destination (same row
// step as the reference) with the half-sample vector (mvx, mvy). The integer position is
// clamped so that the block and its half-sample neighbours lie inside the padded plane: a
// vector reaching past the padding gives the edge extension it stands for.
void Mp4DecMotionCompBlock(const Mp4DecMcPlane& reference, std::uint8_t* destination, int width,
                           int height, int x, int y, int mvx, int mvy, int rounding);

// Chroma vector component of one luma vector component, and of the sum of four.
int Mp4DecChromaVectorOne(int v);
int Mp4DecChromaVectorFour(int sum);

// Predicts the macroblock at (mbx, mby) of the decode frame from the reference frame with the
// vectors in the context's slots (type 2: four vectors; else one, or two field vectors).
void Mp4DecMotionCompMacroblock(Mp4DecInstance& inst, int mbx, int mby, int macroblockType);
// The prediction of a not-coded macroblock: the same samples as Mp4DecMotionCompMacroblock with
// zero vectors and frame prediction (a copy of the co-located reference samples), without the
// vector and kernel selection.
void Mp4DecMotionCompSkipped(Mp4DecInstance& inst, int mbx, int mby);
