// The supersampling kernel, written once for every data type, layout and kernel set. A set's
// `Rows` policy adds source rows into the accumulator row and gathers destination pixels from
// it, each policy computing exactly what the scalar one computes; the walk over boxes, rows and
// columns is shared, so every set gives the same values.
//
// Whole scales of integer data sum exactly in integers: rows into 32-bit cells (in runs short
// enough never to wrap, folded into 64-bit cells when a box is taller), columns in 64 bits.
// Every other case keeps float cells: a cut row is added as float(cell + w·s) in double, whole
// rows by float addition, and a destination value is the double sum over its columns' cells
// (cut ones weighted), stored once as a float. Integer results are trunc(v·norm + 0.5) held in
// the element's range; float results v·norm rounded to float.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "prim/resize/aligned_alloc.h"
#include "prim/resize/resize_element.h"
#include "prim/resize/resize_supersample.h"

namespace resize::super {

// Boxes longer than any image are cut here; cells and rows past the image add nothing anyway.
inline constexpr double kLongestBox = 4611686018427387904.0;  // 2^62

// Axis of `scale` source pixels per destination pixel.
inline SuperAxis MakeAxis(double scale) {
  if (!(scale < kLongestBox)) {
    return {scale, static_cast<std::int64_t>(kLongestBox), 0.0};
  }
  const double whole = std::floor(scale);
  return {scale, static_cast<std::int64_t>(whole), scale - whole};
}

// Number of whole pixels after a cut one: n = floor(rest + 1e-7), kept in range.
inline std::int64_t WholeCount(double rest) {
  const double n = std::floor(rest + kResizeBias);
  if (!(n > 0.0)) {
    return 0;
  }
  return n < kLongestBox ? static_cast<std::int64_t>(n) : static_cast<std::int64_t>(kLongestBox);
}

// One box along an axis: a weighted leading pixel (or none), whole pixels, a weighted cut one.
struct Box {
  std::int64_t first;  // the leading pixel, or the first whole one when there is none
  double leadWeight;   // 0 when there is no leading pixel
  bool leading;        // whether `first` is a leading (weighted) pixel
  std::int64_t whole;  // whole pixels after the leading one
  double cutWeight;    // weight of the pixel after the whole ones, 0 for none
};

// Walks the boxes of one axis: the carried fraction of the cut pixel decides the weights, and
// the walk always moves past a cut pixel, so a fraction that rounds to 1 never counts that
// pixel twice. Whole scales give boxes of whole pixels only.
class BoxWalker {
 public:
  explicit BoxWalker(const SuperAxis& axis) : axis_(axis) {}

  Box Next() {
    if (axis_.fraction == 0.0) {
      const Box box{position_, 0.0, false, axis_.whole, 0.0};
      position_ += axis_.whole;
      return box;
    }
    if (first_) {
      first_ = false;
      position_ = axis_.whole;
      carried_ = axis_.fraction;
      return {0, 0.0, false, axis_.whole, axis_.fraction};
    }
    const double lead = 1.0 - carried_;
    const double rest = axis_.scale - lead;
    const std::int64_t n = WholeCount(rest);
    const double cut = rest - static_cast<double>(n);
    const Box box{position_, lead > kResizeBias ? lead : 0.0, true, n,
                  cut > kResizeBias ? cut : 0.0};
    position_ += 1 + n;
    carried_ = cut;
    return box;
  }

 private:
  SuperAxis axis_;
  bool first_ = true;
  std::int64_t position_ = 0;
  double carried_ = 0.0;
};

// Visits the pixels of a box below `limit`: weighted(index, w) for the leading and the cut
// pixel (when their weight is not 0), whole(first, end) for the run of whole pixels.
template <class Weighted, class Whole>
void ForEachInBox(const Box& box, std::int64_t limit, Weighted&& weighted, Whole&& whole) {
  std::int64_t index = box.first;
  if (box.leading) {
    if (box.leadWeight > 0.0 && index < limit) {
      weighted(index, box.leadWeight);
    }
    ++index;
  }
  const std::int64_t begin = std::min(index, limit);
  const std::int64_t end = box.whole < limit - begin ? begin + box.whole : limit;
  if (begin < end) {
    whole(begin, end);
  }
  if (box.cutWeight > 0.0 && box.whole < limit - index && index + box.whole < limit) {
    weighted(index + box.whole, box.cutWeight);
  }
}

// A box's pixels below a limit, resolved once: the leading pixel (index -1 for none), the run
// of whole pixels [begin, end), the cut pixel (index -1 for none). Visited in this order.
struct Span {
  std::int64_t lead;
  double leadWeight;
  std::int64_t begin;
  std::int64_t end;
  std::int64_t cut;
  double cutWeight;
};

inline Span SpanOf(const Box& box, std::int64_t limit) {
  Span span{-1, 0.0, 0, 0, -1, 0.0};
  ForEachInBox(
      box, limit,
      [&](std::int64_t x, double w) {
        if (span.lead < 0 && span.end == 0 && x == box.first && box.leading) {
          span.lead = x;
          span.leadWeight = w;
        } else {
          span.cut = x;
          span.cutWeight = w;
        }
      },
      [&](std::int64_t x0, std::int64_t x1) {
        span.begin = x0;
        span.end = x1;
      });
  return span;
}

template <class T>
inline constexpr double kMaxValue = sizeof(T) == 1 ? 255.0 : 65535.0;

// trunc(v + 0.5) held in the element's range (NaN gives 0).
template <class T>
T Round(double v) {
  const double half = v + 0.5;
  if (!(half > 0.0)) {
    return 0;
  }
  return static_cast<T>(std::min(half, kMaxValue<T>));
}

// Cells per pixel in the accumulator (the pixel's element count, so a row adds as one run)
// and channels written per pixel.
template <int kLayout>
inline std::int32_t CellsPerPixel(const SuperKernelArgs& a) {
  return kLayout == 1 ? 1 : (kLayout == 4 ? 4 : a.stride);
}
template <int kLayout>
inline constexpr int kChannels = kLayout == 1 ? 1 : (kLayout == 4 ? 4 : 3);

// Whether destination pixel k may be stored with one element past its channels: that element
// is the next pixel's first, which a later store writes.
template <int kLayout>
inline bool Spare(const SuperKernelArgs& a, std::int32_t k, std::int32_t per) {
  return per == kChannels<kLayout> && k + 1 < a.width;
}

// Whole scales, integer data.
template <class T, int kLayout, class Rows>
PrimStatus IntegerKernel(const SuperKernelArgs& a) {
  PrimStatus status = StsNoError;
  if (Rows::template PowerOfTwoBoxes<T, kLayout>(a, status)) {
    return status;
  }
  const std::int32_t per = CellsPerPixel<kLayout>(a);
  const std::int64_t cellCount = static_cast<std::int64_t>(a.readWidth) * per;
  // Rows that 32-bit cells can take at full scale without wrapping.
  const auto chunk = static_cast<std::int64_t>(4294967295.0 / kMaxValue<T>);
  const bool tall = a.y.whole > chunk;
  const AlignedPtr<std::uint32_t> cells = MakeAligned<std::uint32_t>(cellCount + 4, kAligned8u);
  AlignedPtr<std::uint64_t> wide;
  if (tall) {
    wide = MakeAligned<std::uint64_t>(cellCount, kAligned8u);
  }
  if (!cells || (tall && !wide)) {
    return StsAllocFailed;
  }
  const auto* src = static_cast<const std::uint8_t*>(a.src);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  const std::int64_t ix = a.x.whole;
  // Whether a whole box's sum stays below 2^31 (so 32-bit lanes may gather it).
  const bool smallBoxes =
      static_cast<double>(ix) * static_cast<double>(a.y.whole) * kMaxValue<T> < 2147483648.0;
  std::int64_t row = 0;
  for (std::int32_t j = 0; j < a.height; ++j, dst += a.dstStep) {
    const std::int64_t rows = std::clamp<std::int64_t>(a.rows - row, 0, a.y.whole);
    const std::uint8_t* first = src + row * a.srcStep;
    if (tall) {
      std::fill(wide.get(), wide.get() + cellCount, 0);
      for (std::int64_t done = 0; done < rows; done += chunk) {
        std::fill(cells.get(), cells.get() + cellCount, 0u);
        Rows::template AddInteger<T>(first + done * a.srcStep, a.srcStep, a.readWidth, per,
                                     std::min(chunk, rows - done), cells.get());
        for (std::int64_t i = 0; i < cellCount; ++i) {
          wide[i] += cells[i];
        }
      }
    } else {
      std::fill(cells.get(), cells.get() + cellCount + 4, 0u);
      Rows::template AddInteger<T>(first, a.srcStep, a.readWidth, per, rows, cells.get());
    }
    row = a.y.whole < a.rows ? row + a.y.whole : a.rows;
    const DstRow<T> out{dst};
    for (std::int32_t k = 0; k < a.width; ++k) {
      const std::int64_t begin = ix > a.readWidth ? (k == 0 ? 0 : a.readWidth)
                                                  : std::min<std::int64_t>(k * ix, a.readWidth);
      const std::int64_t end =
          std::min<std::int64_t>(begin + std::min(ix, std::int64_t{a.readWidth}), a.readWidth);
      if (!tall) {
        Rows::template GatherInteger<T, kChannels<kLayout>>(cells.get(), per, begin, end, a.norm,
                                                            smallBoxes, Spare<kLayout>(a, k, per),
                                                            out.At(k * per));
        continue;
      }
      for (int c = 0; c < kChannels<kLayout>; ++c) {
        std::uint64_t sum = 0;
        for (std::int64_t x = begin; x < end; ++x) {
          sum += wide[per * x + c];
        }
        out.Set(k * per + c, Round<T>(static_cast<double>(sum) * a.norm));
      }
    }
  }
  return StsNoError;
}

// Fractional scales, and float data.
template <class T, int kLayout, class Rows>
PrimStatus FloatKernel(const SuperKernelArgs& a) {
  const std::int32_t per = CellsPerPixel<kLayout>(a);
  const std::int64_t cellCount = static_cast<std::int64_t>(a.readWidth) * per;
  // Whole scales of float data sum into a row of whole-scale cells, fractional ones into the
  // set's float row.
  const bool wholeScales = a.x.fraction == 0.0 && a.y.fraction == 0.0;
  const AlignedPtr<float> cells =
      MakeAligned<float>(cellCount + 4, wholeScales ? kAligned8u : a.words);
  const AlignedPtr<Span> columns = MakeAligned<Span>(a.width, a.words);
  if (!cells || !columns) {
    return StsAllocFailed;
  }
  BoxWalker columnWalker(a.x);
  for (std::int32_t k = 0; k < a.width; ++k) {
    columns[k] = SpanOf(columnWalker.Next(), a.readWidth);
  }
  const auto* src = static_cast<const std::uint8_t*>(a.src);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  BoxWalker rowWalker(a.y);
  for (std::int32_t j = 0; j < a.height; ++j, dst += a.dstStep) {
    std::fill(cells.get(), cells.get() + cellCount + 4, 0.0f);
    bool weighted = false;  // whether a cut row went in before the whole ones
    ForEachInBox(
        rowWalker.Next(), a.rows,
        [&](std::int64_t y, double w) {
          Rows::template AddWeighted<T>(src + y * a.srcStep, cellCount, w, cells.get());
          weighted = true;
        },
        [&](std::int64_t y0, std::int64_t y1) {
          Rows::template AddWholeRows<T>(src + y0 * a.srcStep, a.srcStep, y1 - y0, cellCount,
                                         !weighted, cells.get());
        });
    const DstRow<T> out{dst};
    for (std::int32_t k = 0; k < a.width; ++k) {
      Rows::template GatherFloat<T, kChannels<kLayout>>(cells.get(), per, columns[k], a.norm,
                                                        Spare<kLayout>(a, k, per), out.At(k * per));
    }
  }
  return StsNoError;
}

template <class T, int kLayout, class Rows>
PrimStatus Kernel(const SuperKernelArgs& a) {
  if constexpr (!std::is_same_v<T, float>) {
    if (a.x.fraction == 0.0 && a.y.fraction == 0.0) {
      return IntegerKernel<T, kLayout, Rows>(a);
    }
  }
  return FloatKernel<T, kLayout, Rows>(a);
}

// The scalar forms of the row and column steps; a set's policy may replace any of them with
// vector code giving the same values.
struct ScalarRows {
  // A set may take whole boxes of small integer sums with a power-of-two normaliser its own
  // way (returning true with the status); the scalar form takes none.
  template <class T, int kLayout>
  static bool PowerOfTwoBoxes(const SuperKernelArgs& /*a*/, PrimStatus& /*status*/) {
    return false;
  }

  // `rows` rows of `pixels`·`per` elements into 32-bit cells.
  template <class T>
  static void AddInteger(const std::uint8_t* src, std::ptrdiff_t srcStep, std::int32_t pixels,
                         std::int32_t per, std::int64_t rows, std::uint32_t* cells) {
    const std::int64_t count = static_cast<std::int64_t>(pixels) * per;
    for (std::int64_t r = 0; r < rows; ++r, src += srcStep) {
      const SrcRow<T> row{src};
      for (std::int64_t i = 0; i < count; ++i) {
        cells[i] += row[i];
      }
    }
  }

  // `rows` whole rows, `srcStep` bytes apart, by float addition in row order. `fromZero` says
  // the cells hold 0 (no cut row before), which lets a set sum integer rows first while the
  // sums stay exact in a float.
  template <class T>
  static void AddWholeRows(const std::uint8_t* src, std::ptrdiff_t srcStep, std::int64_t rows,
                           std::int64_t count, bool /*fromZero*/, float* cells) {
    for (std::int64_t r = 0; r < rows; ++r, src += srcStep) {
      const SrcRow<T> row{src};
      for (std::int64_t i = 0; i < count; ++i) {
        cells[i] = cells[i] + static_cast<float>(row[i]);
      }
    }
  }

  template <class T>
  static void AddWeighted(const std::uint8_t* src, std::int64_t count, double w, float* cells) {
    const SrcRow<T> row{src};
    for (std::int64_t i = 0; i < count; ++i) {
      cells[i] = static_cast<float>(static_cast<double>(cells[i]) + w * row[i]);
    }
  }

  // Columns [begin, end) of the integer cells, per channel, to one destination pixel.
  template <class T, int kChannels>
  static void GatherInteger(const std::uint32_t* cells, std::int32_t per, std::int64_t begin,
                            std::int64_t end, double norm, bool /*smallBoxes*/, bool /*spare*/,
                            std::uint8_t* dst) {
    for (int c = 0; c < kChannels; ++c) {
      std::uint64_t sum = 0;
      for (std::int64_t x = begin; x < end; ++x) {
        sum += cells[per * x + c];
      }
      Store<T>(dst + c * sizeof(T), Round<T>(static_cast<double>(sum) * norm));
    }
  }

  // One column box of the float cells, per channel, to one destination pixel.
  template <class T, int kChannels>
  static void GatherFloat(const float* cells, std::int32_t per, const Span& span, double norm,
                          bool /*spare*/, std::uint8_t* dst) {
    for (int c = 0; c < kChannels; ++c) {
      double sum = 0.0;
      if (span.lead >= 0) {
        sum += span.leadWeight * cells[per * span.lead + c];
      }
      for (std::int64_t x = span.begin; x < span.end; ++x) {
        sum += cells[per * x + c];
      }
      if (span.cut >= 0) {
        sum += span.cutWeight * cells[per * span.cut + c];
      }
      const auto stored = static_cast<float>(sum);
      if constexpr (std::is_same_v<T, float>) {
        Store<float>(dst + c * sizeof(T), static_cast<float>(stored * norm));
      } else {
        Store<T>(dst + c * sizeof(T), Round<T>(stored * norm));
      }
    }
  }
};

}  // namespace resize::super
