#include "codec/mp4dec/postfilter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace {

// The ten samples s0..s9 across one edge, the edge between s4 and s5.
using Line = std::array<int, 10>;

Line Gather(const std::uint8_t* s4, std::ptrdiff_t step) {
  Line line{};
  for (int i = 0; i < 10; ++i) {
    line[static_cast<std::size_t>(i)] = s4[(i - 4) * step];
  }
  return line;
}

int FlatPairs(const Line& s) {
  int count = 0;
  for (std::size_t i = 1; i <= 7; ++i) {
    count += std::abs(s[i] - s[i + 1]) <= 1 ? 1 : 0;
  }
  return count;
}

// The 9-tap low-pass filter of the DC offset mode over s1..s8 with the end values p0 and p9.
void DcOffsetFilter(const Line& s, int p0, int p9, std::uint8_t* s4, std::ptrdiff_t step) {
  static constexpr int kTaps[9] = {1, 1, 2, 2, 4, 2, 2, 1, 1};
  auto p = [&](int m) { return m < 1 ? p0 : (m > 8 ? p9 : s[static_cast<std::size_t>(m)]); };
  for (int n = 1; n <= 8; ++n) {
    int sum = 8;
    for (int k = -4; k <= 4; ++k) {
      sum += kTaps[k + 4] * p(n + k);
    }
    s4[(n - 4) * step] = static_cast<std::uint8_t>(sum >> 4);
  }
}

// The default mode: corrects s4 and s5 only, within the step between them.
void DefaultFilter(const Line& s, int qp, std::uint8_t* s4, std::ptrdiff_t step) {
  const int h = (s[4] - s[5]) / 2;
  if (h == 0) {
    return;
  }
  const int a0 = 2 * s[3] - 5 * s[4] + 5 * s[5] - 2 * s[6];
  if (std::abs(a0) >= 8 * qp) {
    return;
  }
  const int a1 = 2 * s[1] - 5 * s[2] + 5 * s[3] - 2 * s[4];
  const int a2 = 2 * s[5] - 5 * s[6] + 5 * s[7] - 2 * s[8];
  const int d = std::abs(a0) - std::min(std::abs(a1), std::abs(a2));
  if (d <= 0) {
    return;
  }
  int delta = (5 * d + 32) >> 6;
  if (delta == 0) {
    return;
  }
  if (h > 0 && a0 < 0) {
    delta = std::min(delta, h);
    s4[0] = static_cast<std::uint8_t>(s[4] - delta);
    s4[step] = static_cast<std::uint8_t>(s[5] + delta);
  } else if (h < 0 && a0 > 0) {
    delta = std::min(delta, -h);
    s4[0] = static_cast<std::uint8_t>(s[4] + delta);
    s4[step] = static_cast<std::uint8_t>(s[5] - delta);
  }
}

}  // namespace

void Mp4DecDeblockVerticalEdges(std::uint8_t* rows, int width, std::ptrdiff_t stride,
                                const std::int32_t* qpRow) {
  for (int e = 8; e + 4 < width; e += 8) {
    const int qp = qpRow[e >> 4];
    std::array<Line, 4> lines{};
    int count = 0;
    for (int r = 0; r < 4; ++r) {
      lines[static_cast<std::size_t>(r)] = Gather(rows + r * stride + e - 1, 1);
      count += FlatPairs(lines[static_cast<std::size_t>(r)]);
    }
    if (count >= 16) {
      const Line& first = lines[0];
      if (std::abs(first[1] - first[8]) >= 2 * qp) {
        continue;
      }
      for (int r = 0; r < 4; ++r) {
        const Line& s = lines[static_cast<std::size_t>(r)];
        const int p0 = std::abs(s[0] - s[1]) < qp ? s[0] : s[1];
        const int p9 = std::abs(s[8] - s[9]) < qp ? s[9] : s[8];
        DcOffsetFilter(s, p0, p9, rows + r * stride + e - 1, 1);
      }
    } else {
      for (int r = 0; r < 4; ++r) {
        DefaultFilter(lines[static_cast<std::size_t>(r)], qp, rows + r * stride + e - 1, 1);
      }
    }
  }
}

void Mp4DecDeblockHorizontalEdge(std::uint8_t* edgeRow, int width, std::ptrdiff_t stride,
                                 const std::int32_t* qpRow) {
  std::uint8_t* s4Row = edgeRow - stride;
  for (int x = 0; x + 8 <= width; x += 8) {
    const int qp = qpRow[x >> 4];
    std::array<Line, 8> lines{};
    int count = 0;
    bool inRange = true;
    for (int c = 0; c < 8; ++c) {
      Line& s = lines[static_cast<std::size_t>(c)];
      s = Gather(s4Row + x + c, stride);
      count += FlatPairs(s);
      inRange = inRange && std::abs(s[1] - s[8]) <= 2 * qp;
    }
    if (count > 32) {
      if (!inRange) {
        continue;
      }
      for (int c = 0; c < 8; ++c) {
        const Line& s = lines[static_cast<std::size_t>(c)];
        const int p0 = std::abs(s[0] - s[1]) <= qp ? s[0] : s[1];
        const int p9 = std::abs(s[8] - s[9]) <= qp ? s[9] : s[8];
        DcOffsetFilter(s, p0, p9, s4Row + x + c, stride);
      }
    } else {
      for (int c = 0; c < 8; ++c) {
        DefaultFilter(lines[static_cast<std::size_t>(c)], qp, s4Row + x + c, stride);
      }
    }
  }
}

void Mp4DecCopyRows(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                    std::uint8_t* destination, std::ptrdiff_t destinationStride, int width,
                    int rows) {
  for (int r = 0; r < rows; ++r) {
    std::memcpy(destination + r * destinationStride, source + r * sourceStride,
                static_cast<std::size_t>(width));
  }
}

void Mp4DecPostFilter(const std::uint8_t* const source[3], std::ptrdiff_t sourceStride,
                      std::uint8_t* const destination[3], std::ptrdiff_t destinationStride,
                      int width, int height, const std::int32_t* quantiserMap, int mapStride,
                      int /*strength: not used*/) {
  for (int y = 0; y < height; y += 4) {
    const int rows = std::min(4, height - y);
    std::uint8_t* strip = destination[0] + y * destinationStride;
    Mp4DecCopyRows(source[0] + y * sourceStride, sourceStride, strip, destinationStride, width,
                   rows);
    const std::int32_t* qpRow = quantiserMap + (y >> 4) * mapStride;
    if (rows == 4) {  // a partial last strip is copied unfiltered
      Mp4DecDeblockVerticalEdges(strip, width, destinationStride, qpRow);
    }
    if (y % 8 == 4 && y >= 12) {
      Mp4DecDeblockHorizontalEdge(destination[0] + (y - 4) * destinationStride, width,
                                  destinationStride, qpRow);
    }
  }
  const std::ptrdiff_t chromaSourceStride = sourceStride / 2;
  const std::ptrdiff_t chromaStride = Mp4DecChromaSpan(static_cast<int>(destinationStride));
  const int chromaWidth = Mp4DecChromaSpan(width);
  const int chromaHeight = Mp4DecChromaSpan(height);
  for (int p = 1; p < 3; ++p) {
    for (int y = 0; y < chromaHeight; y += 4) {
      Mp4DecCopyRows(source[p] + y * chromaSourceStride, chromaSourceStride,
                     destination[p] + y * chromaStride, chromaStride, chromaWidth,
                     std::min(4, chromaHeight - y));
    }
  }
}
