// The code lists of the MPEG-4 Visual variable-length codes, the scans and the default
// quantiser matrices, as constant data. Codes are written most significant bit first, as they
// appear in the bitstream. The lookup tables of vlc.h are built from these lists.
#pragma once

#include <array>
#include <cstdint>
#include <span>

// One code of a list: its bits ('0' and '1' characters, as in the bitstream) and its values.
struct Mp4DecMcbpcCode {
  const char* bits;
  int mb_type;  // or kCodeStuffing
  int cbpc;
};
struct Mp4DecValueCode {
  const char* bits;
  int value;  // cbpy, |motion_code| or dct_dc_size
};
struct Mp4DecTcoefCode {
  const char* bits;
  int last;  // or kCodeEscape
  int run;
  int level;  // |level|; the sign bit follows the code
};

// Markers in place of a value.
inline constexpr int kCodeStuffing = -2;  // MCBPC stuffing
inline constexpr int kCodeEscape = -3;    // the TCOEF escape

extern const std::span<const Mp4DecMcbpcCode> kMcbpcIntraCodeList;
extern const std::span<const Mp4DecMcbpcCode> kMcbpcInterCodeList;
extern const std::span<const Mp4DecValueCode> kCbpyCodeList;        // cbpy of intra macroblocks
extern const std::span<const Mp4DecValueCode> kMvdCodeList;         // |motion_code| (sign follows)
extern const std::span<const Mp4DecValueCode> kDcSizeLumaCodeList;  // dct_dc_size_luminance
extern const std::span<const Mp4DecValueCode> kDcSizeChromaCodeList;  // dct_dc_size_chrominance
extern const std::span<const Mp4DecTcoefCode> kIntraTcoefCodeList;
extern const std::span<const Mp4DecTcoefCode> kInterTcoefCodeList;

// Scan position -> raster index (8 * row + column).
inline constexpr std::array<std::uint8_t, 64> kZigzagScan = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
inline constexpr std::array<std::uint8_t, 64> kAlternateHorizontalScan = {
    0,  1,  2,  3,  8,  9,  16, 17, 10, 11, 4,  5,  6,  7,  15, 14, 13, 12, 19, 18, 24, 25,
    32, 33, 26, 27, 20, 21, 22, 23, 28, 29, 30, 31, 34, 35, 40, 41, 48, 49, 42, 43, 36, 37,
    38, 39, 44, 45, 46, 47, 50, 51, 56, 57, 58, 59, 52, 53, 54, 55, 60, 61, 62, 63};
inline constexpr std::array<std::uint8_t, 64> kAlternateVerticalScan = {
    0,  8,  16, 24, 1,  9,  2,  10, 17, 25, 32, 40, 48, 56, 57, 49, 41, 33, 26, 18, 3,  11,
    4,  12, 19, 27, 34, 42, 50, 58, 35, 43, 51, 59, 20, 28, 5,  13, 6,  14, 21, 29, 36, 44,
    52, 60, 37, 45, 53, 61, 22, 30, 7,  15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63};
inline constexpr std::array<std::uint32_t, 64> kDefaultIntraMatrix = {
    8,  17, 18, 19, 21, 23, 25, 27, 17, 18, 19, 21, 23, 25, 27, 28, 20, 21, 22, 23, 24, 26,
    28, 30, 21, 22, 23, 24, 26, 28, 30, 32, 22, 23, 24, 26, 28, 30, 32, 35, 23, 24, 26, 28,
    30, 32, 35, 38, 25, 26, 28, 30, 32, 35, 38, 41, 27, 28, 30, 32, 35, 38, 41, 45};
inline constexpr std::array<std::uint32_t, 64> kDefaultNonIntraMatrix = {
    16, 17, 18, 19, 20, 21, 22, 23, 17, 18, 19, 20, 21, 22, 23, 24, 18, 19, 20, 21, 22, 23,
    24, 25, 19, 20, 21, 22, 23, 24, 26, 27, 20, 21, 22, 23, 25, 26, 27, 28, 21, 22, 23, 24,
    26, 27, 28, 30, 22, 23, 24, 26, 27, 28, 30, 31, 23, 24, 25, 27, 28, 30, 31, 33};
