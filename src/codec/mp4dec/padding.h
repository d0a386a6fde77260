// Edge replication around a decoded plane, so that motion compensation of the next VOP may
// reach outside the picture.
#pragma once

#include <cstdint>

// Pads one plane by n pixels on every side. `origin` is its first visible pixel; the visible
// area is (stride - 2n) x (paddedHeight - 2n).
void Mp4DecPadFrame(std::uint8_t* origin, std::int32_t stride, std::int32_t paddedHeight,
                    std::int32_t n);
