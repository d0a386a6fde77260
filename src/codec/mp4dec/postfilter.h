// Deblocking post-filter of the decoded luma picture, written into separate output planes (the
// decoded frame stays the reference). Off unless the context's post-filter switch is set.
#pragma once

#include <cstddef>
#include <cstdint>

// Columns (or rows) of the output planes' chroma for a luma span: one for every two luma ones,
// rounded up, so that the last column and row of an odd-sized picture have their chroma.
constexpr int Mp4DecChromaSpan(int lumaSpan) {
  return (lumaSpan + 1) / 2;
}

// Filters across the vertical edges at columns 8, 16, ... (each with its samples e - 5 .. e + 4
// inside the width) on the 4 rows starting at `rows`.
void Mp4DecDeblockVerticalEdges(std::uint8_t* rows, int width, std::ptrdiff_t stride,
                                const std::int32_t* qpRow);
// Filters across the horizontal edge between the row above `edgeRow` and `edgeRow`, for every
// whole group of 8 columns inside the width.
void Mp4DecDeblockHorizontalEdge(std::uint8_t* edgeRow, int width, std::ptrdiff_t stride,
                                 const std::int32_t* qpRow);
void Mp4DecCopyRows(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                    std::uint8_t* destination, std::ptrdiff_t destinationStride, int width,
                    int rows);

// Copies and filters the luma plane strip by strip, and copies the chroma planes. The quantiser
// of macroblock (column c, row r) is quantiserMap[r * mapStride + c]. The chroma planes are
// Mp4DecChromaSpan of the luma's width, height and strides (the source's chroma stride is half
// its luma stride).
void Mp4DecPostFilter(const std::uint8_t* const source[3], std::ptrdiff_t sourceStride,
                      std::uint8_t* const destination[3], std::ptrdiff_t destinationStride,
                      int width, int height, const std::int32_t* quantiserMap, int mapStride,
                      int strength);
