#include "codec/mp4dec/headers.h"

#include <algorithm>

#include "codec/mp4dec/code_lists.h"

namespace {

bool AtVideoObjectStartCode(const Mp4BitReader& reader) {
  return reader.ByteAligned() && (reader.Peek(32) >> 5) == (0x00000100 >> 5);
}

// Reads one quantiser matrix list into `matrix` (raster order) through the zigzag scan.
// Returns false for a list whose first value is 0 (it has no value to repeat).
bool ReadQuantMatrix(Mp4BitReader& reader, const std::array<std::uint8_t, 64>& zigzag,
                     std::array<std::uint32_t, 64>& matrix) {
  std::uint32_t last = 0;
  int k = 0;
  for (; k < 64; ++k) {
    const std::uint32_t value = reader.Read(8);
    if (value == 0) {
      break;
    }
    last = value;
    matrix[zigzag[k]] = value;
  }
  if (k == 0) {
    return false;
  }
  for (; k < 64; ++k) {
    matrix[zigzag[k]] = last;
  }
  return true;
}

// VOL fields after the VOL start code, in the standard's order. Returns false when the VOL
// uses a tool the decoder refuses (it is then marked unsupported by the caller).
bool ReadVolFields(Mp4DecVolFields& v, Mp4DecTables& tables, Mp4BitReader& r) {
  v.random_accessible_vol = static_cast<std::int32_t>(r.Read(1));
  v.video_object_type_indication = static_cast<std::int32_t>(r.Read(8));
  v.is_object_layer_identifier = static_cast<std::int32_t>(r.Read(1));
  if (v.is_object_layer_identifier != 0) {
    v.video_object_layer_verid = static_cast<std::int32_t>(r.Read(4));
    v.video_object_layer_priority = static_cast<std::int32_t>(r.Read(3));
  } else {
    v.video_object_layer_verid = 1;
    v.video_object_layer_priority = 1;
  }
  v.aspect_ratio_info = static_cast<std::int32_t>(r.Read(4));
  if (v.aspect_ratio_info == 15) {  // extended PAR
    v.par_width = static_cast<std::int32_t>(r.Read(8));
    v.par_height = static_cast<std::int32_t>(r.Read(8));
  }
  v.vol_control_parameters = static_cast<std::int32_t>(r.Read(1));
  if (v.vol_control_parameters != 0) {
    v.chroma_format = static_cast<std::int32_t>(r.Read(2));
    v.low_delay = static_cast<std::int32_t>(r.Read(1));
    v.vbv_parameters = static_cast<std::int32_t>(r.Read(1));
    if (v.vbv_parameters != 0) {
      v.first_half_bit_rate = static_cast<std::int32_t>(r.Read(15));
      r.Skip(1);
      v.latter_half_bit_rate = static_cast<std::int32_t>(r.Read(15));
      r.Skip(1);
      v.first_half_vbv_buffer_size = static_cast<std::int32_t>(r.Read(15));
      r.Skip(1);
      v.latter_half_vbv_buffer_size = static_cast<std::int32_t>(r.Read(3));
      v.first_half_vbv_occupancy = static_cast<std::int32_t>(r.Read(11));
      r.Skip(1);
      v.latter_half_vbv_occupancy = static_cast<std::int32_t>(r.Read(15));
      r.Skip(1);
    }
  }
  v.video_object_layer_shape = static_cast<std::int32_t>(r.Read(2));
  if (v.video_object_layer_shape != 0) {
    return false;  // only rectangular layers are decoded
  }
  r.Skip(1);
  v.vop_time_increment_resolution = static_cast<std::int32_t>(r.Read(16));
  r.Skip(1);
  v.fixed_vop_rate = static_cast<std::int32_t>(r.Read(1));
  if (v.fixed_vop_rate != 0) {
    v.fixed_vop_time_increment =
        static_cast<std::int32_t>(r.Read(Mp4DecTimeIncrementBits(v.vop_time_increment_resolution)));
  }
  r.Skip(1);
  v.width = static_cast<std::int32_t>(r.Read(13));
  r.Skip(1);
  v.height = static_cast<std::int32_t>(r.Read(13));
  r.Skip(1);
  v.interlaced = static_cast<std::int32_t>(r.Read(1));
  v.obmc_disable = static_cast<std::int32_t>(r.Read(1));
  v.sprite_enable = static_cast<std::int32_t>(r.Read(v.video_object_layer_verid == 1 ? 1 : 2));
  if (v.sprite_enable != 0) {
    return false;  // sprite and GMC parameters are not parsed
  }
  v.not_8_bit = static_cast<std::int32_t>(r.Read(1));
  if (v.not_8_bit != 0) {
    v.quant_precision = static_cast<std::int32_t>(r.Read(4));
    v.bits_per_pixel = static_cast<std::int32_t>(r.Read(4));
    return false;  // only 8-bit video
  }
  v.quant_precision = 5;
  v.bits_per_pixel = 8;
  v.quant_type = static_cast<std::int32_t>(r.Read(1));
  v.load_intra_quant_mat = 0;
  v.load_nonintra_quant_mat = 0;
  if (v.quant_type != 0) {
    // A layer that loads no matrix uses the default one, also after an earlier layer loaded
    // its own.
    v.load_intra_quant_mat = static_cast<std::int32_t>(r.Read(1));
    tables.intraMatrix = kDefaultIntraMatrix;
    if (v.load_intra_quant_mat != 0 && !ReadQuantMatrix(r, tables.zigzag, tables.intraMatrix)) {
      return false;
    }
    v.load_nonintra_quant_mat = static_cast<std::int32_t>(r.Read(1));
    tables.nonIntraMatrix = kDefaultNonIntraMatrix;
    if (v.load_nonintra_quant_mat != 0 &&
        !ReadQuantMatrix(r, tables.zigzag, tables.nonIntraMatrix)) {
      return false;
    }
  }
  v.quarter_sample = v.video_object_layer_verid != 1 ? static_cast<std::int32_t>(r.Read(1)) : 0;
  v.complexity_estimation_disable = static_cast<std::int32_t>(r.Read(1));
  if (v.quarter_sample != 0 || v.complexity_estimation_disable == 0) {
    return false;  // quarter-sample motion; the estimation header is not parsed
  }
  v.resync_marker_disable = static_cast<std::int32_t>(r.Read(1));
  v.data_partitioned = static_cast<std::int32_t>(r.Read(1));
  v.reversible_vlc = 0;
  if (v.data_partitioned != 0) {
    v.reversible_vlc = static_cast<std::int32_t>(r.Read(1));
    return false;
  }
  v.newpred_enable = 0;
  v.reduced_resolution_vop_enable = 0;
  if (v.video_object_layer_verid != 1) {
    v.newpred_enable = static_cast<std::int32_t>(r.Read(1));
    if (v.newpred_enable != 0) {
      return false;
    }
    v.reduced_resolution_vop_enable = static_cast<std::int32_t>(r.Read(1));
    if (v.reduced_resolution_vop_enable != 0) {
      return false;
    }
  }
  v.scalability = static_cast<std::int32_t>(r.Read(1));
  return v.scalability == 0;
}

}  // namespace

int Mp4DecTimeIncrementBits(std::int32_t resolution) {
  int bits = 1;
  while (bits < 16 && (1 << bits) < resolution) {
    ++bits;
  }
  return bits;
}

void Mp4DecSkipHeaderStuffing(Mp4BitReader& reader) {
  if (!reader.ByteAligned()) {
    reader.AlignToByte();
    return;
  }
  if (reader.Peek(8) == 0x7F) {
    Mp4BitReader probe = reader;
    probe.Skip(8);
    if (probe.Peek(24) == kStartCodePrefix) {
      reader.Skip(8);
    }
  }
}

void Mp4DecSkipUserData(Mp4BitReader& reader) {
  Mp4DecSkipHeaderStuffing(reader);
  while (reader.ByteAligned() && reader.Peek(32) == kUserDataStartCode) {
    reader.Skip(32);
    while (!reader.AtEnd() && reader.Peek(24) != kStartCodePrefix) {
      reader.Skip(8);
    }
  }
}

int Mp4DecParseVolHeader(Mp4DecContext& ctx, Mp4DecTables& tables, Mp4BitReader& reader) {
  if (!AtVideoObjectStartCode(reader)) {
    return 0;
  }
  reader.Skip(32);
  // Visual object headers may stand between the video object and its layer only as user data.
  Mp4DecSkipUserData(reader);
  if (reader.Peek(28) != 0x0000012) {
    return 0;
  }
  reader.Skip(28);
  Mp4DecVolFields& v = ctx.vol;
  v.video_object_layer_id = static_cast<std::int32_t>(reader.Read(4));
  const bool supported = ReadVolFields(v, tables, reader);
  const Mp4DecGeometry& g = ctx.geometry;
  // The layer must fit the grid the blocks were sized and initialised for.
  const bool fits = v.width > 0 && v.height > 0 && v.width <= kMp4DecMaxWidth &&
                    v.height <= kMp4DecMaxHeight && (v.width + 15) / 16 == g.mbColumns &&
                    (v.height + 15) / 16 == g.mbRows;
  ctx.volSeen = 1;
  ctx.volUnsupported = (supported && fits && !reader.Exhausted()) ? 0 : 1;
  if (!supported) {
    // The rest of a refused layer is not parsed: go on at the next start code.
    reader.AlignToByte();
    while (!reader.AtEnd() && reader.Peek(24) != kStartCodePrefix) {
      reader.Skip(8);
    }
  }
  return 1;
}

int Mp4DecParseGovHeader(Mp4DecContext& ctx, Mp4BitReader& reader) {
  Mp4DecSkipUserData(reader);
  if (reader.ByteAligned() && reader.Peek(32) == kGovStartCode) {
    reader.Skip(32);
    ctx.gov.time_code = static_cast<std::int32_t>(reader.Read(18));
    ctx.gov.closed_gov = static_cast<std::int32_t>(reader.Read(1));
    ctx.gov.broken_link = static_cast<std::int32_t>(reader.Read(1));
    Mp4DecSkipUserData(reader);
  }
  return 1;
}

int Mp4DecParseVopHeader(Mp4DecContext& ctx, Mp4BitReader& reader) {
  Mp4DecSkipUserData(reader);
  if (reader.Read(32) != kVopStartCode) {
    return 0;
  }
  Mp4DecVopFields& p = ctx.vop;
  const Mp4DecVolFields& v = ctx.vol;
  p.vop_coding_type = static_cast<std::int32_t>(reader.Read(2));
  // modulo_time_base: bounded by the input (zeros past its end end the loop).
  while (reader.GetBit() != 0) {
    ++p.seconds;
  }
  reader.Skip(1);
  p.vop_time_increment = static_cast<std::int32_t>(
      reader.Read(Mp4DecTimeIncrementBits(v.vop_time_increment_resolution)));
  reader.Skip(1);
  p.vop_coded = static_cast<std::int32_t>(reader.Read(1));
  if (reader.Exhausted()) {
    return 0;
  }
  if (p.vop_coded == 0) {
    Mp4DecSkipHeaderStuffing(reader);
    return 1;
  }
  p.vop_rounding_type = p.vop_coding_type == kVopP ? static_cast<std::int32_t>(reader.Read(1)) : 0;
  p.intra_dc_vlc_thr = static_cast<std::int32_t>(reader.Read(3));
  if (v.interlaced != 0) {
    p.top_field_first = static_cast<std::int32_t>(reader.Read(1));
    p.alternate_vertical_scan_flag = static_cast<std::int32_t>(reader.Read(1));
  } else {
    p.top_field_first = 1;
    p.alternate_vertical_scan_flag = 0;
  }
  p.quantiser = static_cast<std::int32_t>(reader.Read(v.quant_precision));
  if (p.vop_coding_type != kVopI) {
    p.vop_fcode_forward = static_cast<std::int32_t>(reader.Read(3));
    if (p.vop_fcode_forward != 3) {
      p.vop_fcode_forward = 3;
      return 0;
    }
  }
  if (reader.Exhausted()) {
    return 0;
  }
  // The quantiser must lie in 1..31 (every quantiser-indexed rule is defined only there).
  return (p.quantiser >= 1 && p.quantiser <= 31) ? 1 : 0;
}

int Mp4DecParseStreamInfo(Mp4BitReader& reader, std::int32_t* width, std::int32_t* height) {
  if (!AtVideoObjectStartCode(reader)) {
    return 0;
  }
  reader.Skip(32);
  if (reader.Read(28) != 0x0000012) {
    return 0;
  }
  reader.Skip(13);
  if (reader.Read(1) != 0) {
    reader.Skip(7);
  }
  if (reader.Read(4) == 15) {
    reader.Skip(16);
  }
  if (reader.Read(1) != 0) {
    reader.Skip(3);
    if (reader.Read(1) != 0) {
      reader.Skip(16 + 16 + 16 + 3 + 12 + 16);
    }
  }
  if (reader.Read(2) != 0) {
    return 0;
  }
  reader.Skip(1);
  const int resolution = static_cast<int>(reader.Read(16));
  reader.Skip(1);
  if (reader.Read(1) != 0) {
    reader.Skip(static_cast<std::size_t>(Mp4DecTimeIncrementBits(resolution)));
  }
  reader.Skip(1);
  const auto w = static_cast<std::int32_t>(reader.Read(13));
  reader.Skip(1);
  const auto h = static_cast<std::int32_t>(reader.Read(13));
  if (reader.Exhausted()) {
    return 0;
  }
  *width = w;
  *height = h;
  return 1;
}
