// The decoder's work blocks: `Mp4DecContext` (stream, VOP and macroblock state, maps and
// prediction stores) and `Mp4DecTables` (scans and the quantiser matrices a VOL may load).
// Both live in caller-owned blocks whose sizes the size query returns.
#pragma once

#include <array>
#include <cstdint>

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/mp4dec.h"

// Map dimensions: one border row above, one border column on each side.
inline constexpr int kMp4DecMaxMbColumns = kMp4DecMaxWidth / 16;      // 45
inline constexpr int kMp4DecMaxMbRows = kMp4DecMaxHeight / 16;        // 36
inline constexpr int kMapRows = kMp4DecMaxMbRows + 1;                 // 37
inline constexpr int kMapColumns = kMp4DecMaxMbColumns + 2;           // 47
inline constexpr int kQuantMapColumns = kMp4DecMaxMbColumns + 1;      // 46
inline constexpr int kLumaPredRows = 2 * kMp4DecMaxMbRows + 1;        // 73
inline constexpr int kLumaPredColumns = 2 * kMp4DecMaxMbColumns + 1;  // 91
inline constexpr int kChromaPredRows = kMp4DecMaxMbRows + 1;          // 37
inline constexpr int kChromaPredColumns = kMp4DecMaxMbColumns + 1;    // 46

// Macroblock types (low three bits of MCBPC).
inline constexpr int kMbInter = 0;
inline constexpr int kMbInterQ = 1;
inline constexpr int kMbInter4v = 2;
inline constexpr int kMbIntra = 3;
inline constexpr int kMbIntraQ = 4;
inline constexpr int kMbStuffing = 7;
inline constexpr int kMbSkipped = -1;  // type-map entry of a not-coded macroblock

// True for the two intra macroblock types.
constexpr bool IsIntra(int type) {
  return type == kMbIntra || type == kMbIntraQ;
}

// VOP coding types.
inline constexpr int kVopI = 0;
inline constexpr int kVopP = 1;
inline constexpr int kVopB = 2;
inline constexpr int kVopS = 3;

struct Mp4DecVolFields {
  std::int32_t video_object_layer_id;
  std::int32_t random_accessible_vol;
  std::int32_t video_object_type_indication;
  std::int32_t is_object_layer_identifier;
  std::int32_t video_object_layer_verid;
  std::int32_t video_object_layer_priority;
  std::int32_t aspect_ratio_info;
  std::int32_t par_width;
  std::int32_t par_height;
  std::int32_t vol_control_parameters;
  std::int32_t chroma_format;
  std::int32_t low_delay;
  std::int32_t vbv_parameters;
  std::int32_t first_half_bit_rate;
  std::int32_t latter_half_bit_rate;
  std::int32_t first_half_vbv_buffer_size;
  std::int32_t latter_half_vbv_buffer_size;
  std::int32_t first_half_vbv_occupancy;
  std::int32_t latter_half_vbv_occupancy;
  std::int32_t video_object_layer_shape;
  std::int32_t vop_time_increment_resolution;
  std::int32_t fixed_vop_rate;
  std::int32_t fixed_vop_time_increment;
  std::int32_t width;
  std::int32_t height;
  std::int32_t interlaced;
  std::int32_t obmc_disable;
  std::int32_t sprite_enable;
  std::int32_t not_8_bit;
  std::int32_t quant_precision;
  std::int32_t bits_per_pixel;
  std::int32_t quant_type;
  std::int32_t load_intra_quant_mat;
  std::int32_t load_nonintra_quant_mat;
  std::int32_t quarter_sample;
  std::int32_t complexity_estimation_disable;
  std::int32_t resync_marker_disable;
  std::int32_t data_partitioned;
  std::int32_t reversible_vlc;
  std::int32_t newpred_enable;
  std::int32_t reduced_resolution_vop_enable;
  std::int32_t scalability;
};

struct Mp4DecGovFields {
  std::int32_t time_code;
  std::int32_t closed_gov;
  std::int32_t broken_link;
};

struct Mp4DecVopFields {
  std::int32_t vop_coding_type;
  std::int32_t seconds;  // 1 bits of modulo_time_base, summed over all VOPs
  std::int32_t vop_time_increment;
  std::int32_t vop_coded;
  std::int32_t vop_rounding_type;
  std::int32_t vop_horizontal_mc_spatial_ref;
  std::int32_t vop_vertical_mc_spatial_ref;
  std::int32_t change_conv_ratio_disable;
  std::int32_t vop_constant_alpha;
  std::int32_t vop_constant_alpha_value;
  std::int32_t intra_dc_vlc_thr;
  std::int32_t quantiser;  // vop_quant, then updated per macroblock
  std::int32_t vop_fcode_forward;
  std::int32_t vop_shape_coding_type;
  std::int32_t top_field_first;
  std::int32_t alternate_vertical_scan_flag;
};

struct Mp4DecMbFields {
  std::int32_t not_coded;
  std::int32_t mcbpc;
  std::int32_t mb_type;
  std::int32_t cbpc;
  std::int32_t ac_pred_flag;
  std::int32_t cbpy;
  std::int32_t dquant;
  std::int32_t cbp;  // cbpy << 2 | cbpc; block b coded when bit 5 - b is set
  std::int32_t dct_type;
  std::int32_t field_prediction;
  std::int32_t forward_top_field_reference;
  std::int32_t forward_bottom_field_reference;
  std::int32_t mbCount;
  std::int32_t mbColumns;
  std::int32_t mbRows;
  std::int32_t decodedVops;
  std::int32_t index;  // current macroblock within the VOP
  std::int32_t x;      // current macroblock column
  std::int32_t y;      // current macroblock row
  std::int32_t dcScaler;
  std::int32_t scaledAc;  // result of the scaled AC prediction of the current block
};

struct Mp4DecGeometry {
  std::int32_t width;
  std::int32_t height;
  std::int32_t mbColumns;  // ceil(width / 16)
  std::int32_t mbRows;     // ceil(height / 16)
  std::int32_t paddedLumaWidth;
  std::int32_t paddedLumaHeight;
  std::int32_t paddedChromaWidth;
  std::int32_t paddedChromaHeight;
};

using Mp4DecAcPredictors = std::array<std::int32_t, 7>;

// Converter of an output mode: Y origin, Y stride, U origin, V origin, chroma stride, output,
// width, height times the orientation, output stride in pixels, and a scratch area of at least
// width x height bytes (the mode-1 luma copy; other modes ignore it).
using Mp4DecConverter = void (*)(const std::uint8_t* y, std::int32_t yStride, const std::uint8_t* u,
                                 const std::uint8_t* v, std::int32_t chromaStride,
                                 std::uint8_t* output, std::int32_t width,
                                 std::int32_t signedHeight, std::int32_t outputStride,
                                 std::uint8_t* scratch);

struct Mp4DecContext {
  Mp4DecVolFields vol;
  Mp4DecGovFields gov;
  Mp4DecVopFields vop;
  Mp4DecMbFields mb;

  // Per-macroblock maps; the entry of macroblock (x, y) is at [y + 1][x + 1].
  std::int32_t mbTypeMap[kMapRows][kMapColumns];
  std::int32_t quantMap[kMapRows][kQuantMapColumns];
  std::int32_t mvX[6][kMapRows][kMapColumns];
  std::int32_t mvY[6][kMapRows][kMapColumns];
  std::int32_t fieldMap[kMapRows][kMapColumns];

  // Texture prediction stores; DC predictors hold dequantised DCs, AC predictors quantised
  // first-column (Col) and first-row (Row) coefficients.
  std::int32_t lumaDc[kLumaPredRows][kLumaPredColumns];
  Mp4DecAcPredictors lumaAcCol[kLumaPredRows][kLumaPredColumns];
  Mp4DecAcPredictors lumaAcRow[kLumaPredRows][kLumaPredColumns];
  std::int32_t chromaDc[2][kChromaPredRows][kChromaPredColumns];
  Mp4DecAcPredictors chromaAcCol[2][kChromaPredRows][kChromaPredColumns];
  Mp4DecAcPredictors chromaAcRow[2][kChromaPredRows][kChromaPredColumns];
  std::int32_t predictionDirection;  // 0 from the left block, 1 from the block above

  // Entry i + 384 is i clamped to 0..255, for i = -384..639.
  std::uint8_t clampTable[1024];

  Mp4DecConverter converter;
  std::int32_t orientation;  // +1 top-down, -1 bottom-up

  Mp4DecGeometry geometry;

  std::int32_t alignmentMode;
  std::int32_t postFilter;
  std::int32_t postFilterStrength;
  std::int32_t frameToggle;
  std::int32_t referenceMode;

  // Our additions: set by initialisation; a VOL seen since; the current VOL refused (every
  // VOP under it gives result 3 until a supported VOL arrives); the frame buffer (0 or 1)
  // that holds the last picture decoded, repeated for a VOP that is not coded; where the last
  // frame was found damaged (cleared when a frame's input is read).
  std::int32_t initialised;
  std::int32_t volSeen;
  std::int32_t volUnsupported;
  std::int32_t lastDecodedBuffer;
  Mp4DecDamage damage;
};

struct Mp4DecTables {
  std::array<std::uint8_t, 64> zigzag;
  std::array<std::uint8_t, 64> alternateVertical;
  std::array<std::uint8_t, 64> alternateHorizontal;
  std::array<std::uint32_t, 64> intraMatrix;     // raster order
  std::array<std::uint32_t, 64> nonIntraMatrix;  // raster order
};

static_assert(sizeof(Mp4DecContext) <= kMp4DecContextBytes);
static_assert(sizeof(Mp4DecTables) <= kMp4DecTablesBytes);
static_assert(sizeof(Mp4BitReader) <= kMp4DecBitReaderBytes);

// Views of the instance's blocks.
inline Mp4DecContext& ContextOf(const Mp4DecInstance& inst) {
  return *static_cast<Mp4DecContext*>(inst.context);
}
inline Mp4DecTables& TablesOf(const Mp4DecInstance& inst) {
  return *static_cast<Mp4DecTables*>(inst.tables);
}
inline Mp4BitReader& ReaderOf(const Mp4DecInstance& inst) {
  return *static_cast<Mp4BitReader*>(inst.bitReader);
}
