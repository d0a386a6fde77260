// The command entry, initialisation, frame selection and the decode of one frame.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <new>
#include <span>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/damage.h"
#include "codec/mp4dec/headers.h"
#include "codec/mp4dec/macroblock.h"
#include "codec/mp4dec/mp4dec.h"
#include "codec/mp4dec/output.h"
#include "codec/mp4dec/padding.h"
#include "codec/mp4dec/postfilter.h"
#include "codec/mp4dec/vlc.h"
#include "prim/prim_dispatch.h"

namespace {

// Process-wide: the first initialisation gives a 4-bit vop_time_increment to VOPs decoded
// before any VOL; later ones leave the caller's zeroed word.
std::atomic<bool> g_firstInitialisation{true};

constexpr std::int32_t kStreamInfoBytes = 256;

bool SizeAllowed(std::int32_t width, std::int32_t height) {
  return width >= 1 && height >= 1 && width <= kMp4DecMaxWidth && height <= kMp4DecMaxHeight;
}

bool Aligned(const void* p, std::size_t alignment) {
  return reinterpret_cast<std::uintptr_t>(p) % alignment == 0;
}

std::uint32_t FrameBufferBytes(std::uint32_t w, std::uint32_t h) {
  return (w + 64) * (h + 64) + 2 * ((w >> 1) + 64) * ((h >> 1) + 64);
}

// Where the post-filter's output planes lie in their buffer: Y (w x h) at 0, then U and V of
// Mp4DecChromaSpan(w) x Mp4DecChromaSpan(h) each, which is w*h and w*h + w*h/4 for an even
// size. The converters read the chroma of the last column and row of an odd size too.
struct OutputPlaneLayout {
  std::size_t u;
  std::size_t v;
  std::size_t bytes;
};

OutputPlaneLayout OutputPlanesOf(std::int32_t width, std::int32_t height) {
  const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t chroma = static_cast<std::size_t>(Mp4DecChromaSpan(width)) *
                             static_cast<std::size_t>(Mp4DecChromaSpan(height));
  return {luma, luma + chroma, luma + 2 * chroma};
}

// The output-plane count: w*h + 2((w*h) >> 1), which holds the three planes for every size but
// one luma row or column of an odd length (1 x 1 gives 1 byte for 3); those get what the planes
// take.
std::uint32_t OutputPlaneBytes(std::uint32_t w, std::uint32_t h) {
  const std::size_t placed =
      OutputPlanesOf(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)).bytes;
  return std::max(w * h + 2 * ((w * h) >> 1), static_cast<std::uint32_t>(placed));
}

void LoadTables(Mp4DecTables& tables) {
  tables.zigzag = kZigzagScan;
  tables.alternateVertical = kAlternateVerticalScan;
  tables.alternateHorizontal = kAlternateHorizontalScan;
  tables.intraMatrix = kDefaultIntraMatrix;
  tables.nonIntraMatrix = kDefaultNonIntraMatrix;
}

// Places the plane pointers of one frame buffer: Y at 0, U after the padded luma plane, V
// after U; origins 32 (luma) or 16 (chroma) rows and columns in.
void PlacePlanes(const Mp4DecGeometry& g, std::uint8_t* buffer, std::uint8_t* base[3],
                 std::uint8_t* origin[3]) {
  const std::ptrdiff_t lumaBytes =
      static_cast<std::ptrdiff_t>(g.paddedLumaWidth) * g.paddedLumaHeight;
  const std::ptrdiff_t chromaBytes =
      static_cast<std::ptrdiff_t>(g.paddedChromaWidth) * g.paddedChromaHeight;
  base[0] = buffer;
  base[1] = buffer + lumaBytes;
  base[2] = buffer + lumaBytes + chromaBytes;
  origin[0] = base[0] + 32 * static_cast<std::ptrdiff_t>(g.paddedLumaWidth) + 32;
  origin[1] = base[1] + 16 * static_cast<std::ptrdiff_t>(g.paddedChromaWidth) + 16;
  origin[2] = base[2] + 16 * static_cast<std::ptrdiff_t>(g.paddedChromaWidth) + 16;
}

// Decode frame = buffer `target`, reference = the other buffer.
void PlaceFrames(Mp4DecInstance& inst, int target) {
  const Mp4DecGeometry& g = ContextOf(inst).geometry;
  std::uint8_t* decode = target == 0 ? inst.frameBuffer0 : inst.frameBuffer1;
  std::uint8_t* reference = target == 0 ? inst.frameBuffer1 : inst.frameBuffer0;
  PlacePlanes(g, decode, inst.decodeBase, inst.decodeOrigin);
  PlacePlanes(g, reference, inst.referenceBase, inst.referenceOrigin);
}

// The plane pointers as they were before a VOP that did not decode.
void RestorePlanes(Mp4DecInstance& inst, const Mp4DecInstance& before) {
  std::copy(std::begin(before.decodeBase), std::end(before.decodeBase), inst.decodeBase);
  std::copy(std::begin(before.referenceBase), std::end(before.referenceBase), inst.referenceBase);
  std::copy(std::begin(before.decodeOrigin), std::end(before.decodeOrigin), inst.decodeOrigin);
  std::copy(std::begin(before.referenceOrigin), std::end(before.referenceOrigin),
            inst.referenceOrigin);
}

// Bytes of the three padded planes of one frame buffer.
std::size_t FramePlaneBytes(const Mp4DecGeometry& g) {
  return static_cast<std::size_t>(g.paddedLumaWidth) * g.paddedLumaHeight +
         2 * static_cast<std::size_t>(g.paddedChromaWidth) * g.paddedChromaHeight;
}

void Mp4DecSetupPlanes(Mp4DecInstance& inst) {
  Mp4DecContext& ctx = ContextOf(inst);
  LoadTables(TablesOf(inst));
  Mp4DecLoadVlcTables();
  for (int i = -384; i < 640; ++i) {
    ctx.clampTable[i + 384] = static_cast<std::uint8_t>(std::clamp(i, 0, 255));
  }
  for (auto& entry : ctx.lumaDc[0]) {
    entry = 1024;
  }
  for (int r = 1; r < kLumaPredRows; ++r) {
    ctx.lumaDc[r][0] = 1024;
  }
  for (auto& acRow : ctx.lumaAcRow[0]) {
    acRow.fill(0);
  }
  for (auto& acCol : ctx.lumaAcCol[0]) {
    acCol.fill(0);
  }
  for (int r = 0; r < kLumaPredRows; ++r) {
    ctx.lumaAcRow[r][0].fill(0);
    ctx.lumaAcCol[r][0].fill(0);
  }
  for (int c = 0; c < 2; ++c) {
    for (auto& entry : ctx.chromaDc[c][0]) {
      entry = 1024;
    }
    for (int r = 1; r < kChromaPredRows; ++r) {
      ctx.chromaDc[c][r][0] = 1024;
    }
    for (int col = 0; col < kChromaPredColumns; ++col) {
      ctx.chromaAcRow[c][0][col].fill(0);
      ctx.chromaAcCol[c][0][col].fill(0);
    }
    for (int r = 0; r < kChromaPredRows; ++r) {
      ctx.chromaAcRow[c][r][0].fill(0);
      ctx.chromaAcCol[c][r][0].fill(0);
    }
  }
  const int columns = ctx.geometry.mbColumns;
  for (int col = 0; col <= columns; ++col) {
    ctx.mbTypeMap[0][col] = kMbIntra;
  }
  for (int r = 0; r <= ctx.geometry.mbRows; ++r) {
    ctx.mbTypeMap[r][0] = kMbIntra;
    ctx.mbTypeMap[r][columns + 1] = kMbIntra;
  }
  PlacePlanes(ctx.geometry, inst.frameBuffer0, inst.decodeBase, inst.decodeOrigin);
  PlacePlanes(ctx.geometry, inst.frameBuffer1, inst.referenceBase, inst.referenceOrigin);
  ctx.frameToggle = 1;
  ctx.lastDecodedBuffer = 1;
  const OutputPlaneLayout planes = OutputPlanesOf(ctx.geometry.width, ctx.geometry.height);
  inst.outputPlane[0] = inst.outputPlaneBuffer;
  inst.outputPlane[1] = inst.outputPlaneBuffer ? inst.outputPlaneBuffer + planes.u : nullptr;
  inst.outputPlane[2] = inst.outputPlaneBuffer ? inst.outputPlaneBuffer + planes.v : nullptr;
}

void Mp4DecResetState(Mp4DecInstance& inst) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4DecGeometry& g = ctx.geometry;
  ctx.mb.decodedVops = 0;
  // The macroblock grid covers the whole picture; the partial last column or row is decoded
  // into the border and cropped on output.
  g.mbColumns = (g.width + 15) / 16;
  g.mbRows = (g.height + 15) / 16;
  ctx.mb.mbColumns = g.mbColumns;
  ctx.mb.mbRows = g.mbRows;
  ctx.mb.mbCount = g.mbColumns * g.mbRows;
  g.paddedLumaWidth = g.width + 64;
  g.paddedLumaHeight = g.height + 64;
  g.paddedChromaWidth = (g.width + 64) >> 1;
  g.paddedChromaHeight = (g.height + 64) >> 1;
  Mp4DecSetupPlanes(inst);
}

std::int32_t Mp4DecInit(Mp4DecInstance& inst, std::int32_t referenceMode) {
  if (inst.context == nullptr || inst.tables == nullptr || inst.bitReader == nullptr ||
      inst.frameBuffer0 == nullptr || inst.frameBuffer1 == nullptr ||
      !SizeAllowed(inst.width, inst.height) || (referenceMode != 0 && referenceMode != 1) ||
      !Aligned(inst.context, alignof(Mp4DecContext)) ||
      !Aligned(inst.tables, alignof(Mp4DecTables)) ||
      !Aligned(inst.bitReader, alignof(Mp4BitReader))) {
    return kMp4DecRefused;
  }
  new (inst.bitReader) Mp4BitReader();
  Mp4DecContext& ctx = ContextOf(inst);
  ctx.referenceMode = referenceMode;
  ctx.alignmentMode = 1;
  ctx.postFilter = 0;
  ctx.geometry.width = inst.width;
  ctx.geometry.height = inst.height;
  ctx.vol.width = inst.width;
  ctx.vol.height = inst.height;
  ctx.vol.quant_precision = 5;
  ctx.vol.bits_per_pixel = 8;
  ctx.vol.quant_type = 0;
  ctx.vol.complexity_estimation_disable = 1;
  ctx.vol.resync_marker_disable = 1;
  ctx.volSeen = 0;
  ctx.volUnsupported = 0;
  if (g_firstInitialisation.exchange(false)) {
    ctx.vol.vop_time_increment_resolution = 15;
  }
  Mp4DecResetState(inst);
  Mp4DecSelectOutput(ctx, inst.outputMode);
  ctx.initialised = 1;
  return kMp4DecOk;
}

// Chooses the buffer to decode into (0 or 1) and the reference, by the reference mode. The
// toggle is committed only once the VOP decoded, so a refused VOP changes nothing.
int Mp4DecSelectFrames(Mp4DecInstance& inst) {
  Mp4DecContext& ctx = ContextOf(inst);
  int target = 0;
  if (ctx.referenceMode == 0) {
    target = ctx.frameToggle == 1 ? 0 : 1;
  } else {
    target = ctx.vop.vop_coding_type == kVopI ? 0 : 1;
  }
  PlaceFrames(inst, target);
  return target;
}

void PadDecodedFrame(Mp4DecInstance& inst) {
  const Mp4DecGeometry& g = ContextOf(inst).geometry;
  Mp4DecPadFrame(inst.decodeOrigin[0], g.paddedLumaWidth, g.paddedLumaHeight, 32);
  Mp4DecPadFrame(inst.decodeOrigin[1], g.paddedChromaWidth, g.paddedChromaHeight, 16);
  Mp4DecPadFrame(inst.decodeOrigin[2], g.paddedChromaWidth, g.paddedChromaHeight, 16);
}

// A VOP that is not coded repeats the last decoded picture; nothing is decoded or toggled.
void RepeatLastPicture(Mp4DecInstance& inst, const Mp4DecFrameIo& io) {
  Mp4DecContext& ctx = ContextOf(inst);
  std::uint8_t* base[3];
  std::uint8_t* origin[3];
  PlacePlanes(ctx.geometry, ctx.lastDecodedBuffer == 0 ? inst.frameBuffer0 : inst.frameBuffer1,
              base, origin);
  Mp4DecOutputFrame(inst, origin, io.output, io.outputStride, io.outputSwitch);
}

// The converters of modes 2 and 3 lay rows out by the caller's stride; one narrower than the
// picture would overlap the rows and run past a buffer sized for that stride.
bool OutputStrideFits(const Mp4DecContext& ctx, const Mp4DecFrameIo& io) {
  const bool usesStride = ctx.converter == &Mp4DecCopyPlanar || ctx.converter == &Mp4DecYuvToUyvy;
  return io.outputSwitch == 0 || !usesStride || io.outputStride >= ctx.geometry.width;
}

// The context holds what initialisation set (the caller's block may have been changed since).
bool GeometryValid(const Mp4DecContext& ctx) {
  const Mp4DecGeometry& g = ctx.geometry;
  return SizeAllowed(g.width, g.height) && g.mbColumns == (g.width + 15) / 16 &&
         g.mbRows == (g.height + 15) / 16 && ctx.mb.mbColumns == g.mbColumns &&
         ctx.mb.mbCount == g.mbColumns * g.mbRows && g.paddedLumaWidth == g.width + 64 &&
         g.paddedLumaHeight == g.height + 64 && g.paddedChromaWidth == (g.width + 64) >> 1 &&
         g.paddedChromaHeight == (g.height + 64) >> 1 &&
         (ctx.referenceMode == 0 || ctx.referenceMode == 1);
}

// Records where the frame was refused and gives the refusal.
std::int32_t RefusedAt(Mp4DecContext& ctx, const Mp4BitReader& reader, Mp4DecLayer layer,
                       Mp4DecFault fault) {
  Mp4DecDamaged(ctx, reader, layer, fault);
  return kMp4DecRefused;
}

// Why a VOP header that follows `atVop` (the reader before it) was refused.
std::int32_t VopHeaderRefused(Mp4DecContext& ctx, const Mp4BitReader& reader, Mp4BitReader atVop) {
  if (reader.Exhausted()) {
    return RefusedAt(ctx, reader, Mp4DecLayer::kVop, Mp4DecFault::kInputEnded);
  }
  Mp4DecSkipUserData(atVop);
  if (atVop.Peek(32) != kVopStartCode) {
    return RefusedAt(ctx, atVop, Mp4DecLayer::kVop, Mp4DecFault::kStartCode);
  }
  return RefusedAt(ctx, reader, Mp4DecLayer::kVop, Mp4DecFault::kUnsupported);
}

std::int32_t Mp4DecDecodeFrame(Mp4DecInstance& inst, const Mp4DecFrameIo& io) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  if (io.input == nullptr || io.inputLength <= 0 || !GeometryValid(ctx) ||
      !OutputStrideFits(ctx, io)) {
    return kMp4DecRefused;
  }
  reader.Init(std::span<const std::uint8_t>(io.input, static_cast<std::size_t>(io.inputLength)));
  Mp4DecClearDamage(ctx);

  // Start-code search: a video object start code or a VOP start code.
  for (;;) {
    if (reader.AtEnd()) {
      return RefusedAt(ctx, reader, Mp4DecLayer::kStream, Mp4DecFault::kInputEnded);
    }
    const std::uint32_t code = reader.Peek(32);
    if ((code >> 5) == (0x00000100 >> 5) || code == kVopStartCode) {
      break;
    }
    reader.Skip(8);
  }
  Mp4DecParseVolHeader(ctx, TablesOf(inst), reader);
  Mp4DecParseGovHeader(ctx, reader);
  const Mp4BitReader atVop = reader;
  const int vopAccepted = Mp4DecParseVopHeader(ctx, reader);
  if (ctx.volUnsupported != 0) {
    return RefusedAt(ctx, atVop, Mp4DecLayer::kVol, Mp4DecFault::kUnsupported);
  }
  if (vopAccepted == 0) {
    return VopHeaderRefused(ctx, reader, atVop);
  }
  const int type = ctx.vop.vop_coding_type;
  if (type == kVopB || type == kVopS) {
    return RefusedAt(ctx, reader, Mp4DecLayer::kVop, Mp4DecFault::kUnsupported);
  }
  if (ctx.vop.vop_coded == 0) {
    RepeatLastPicture(inst, io);
    return kMp4DecOk;
  }
  // DC coded among the AC coefficients is not decoded by this decoder.
  if (ctx.vop.intra_dc_vlc_thr != 0) {
    return RefusedAt(ctx, reader, Mp4DecLayer::kVop, Mp4DecFault::kUnsupported);
  }
  const Mp4DecInstance planesBefore = inst;
  const int target = Mp4DecSelectFrames(inst);
  // In reference mode 1 the I-VOP's buffer 0 is the reference of the P-VOPs that follow: the
  // I-VOP is decoded into buffer 1 (never a reference in that mode) and copied over only once
  // it decoded whole, so a damaged I-VOP leaves the reference as it was.
  const bool staged = ctx.referenceMode == 1 && target == 0;
  if (staged) {
    PlaceFrames(inst, 1);
  }
  if (!Mp4DecDecodeMacroblocks(inst)) {  // the damage is recorded by the layer that saw it
    if (staged) {
      ctx.lastDecodedBuffer = 0;  // buffer 1 no longer holds a whole picture
    }
    RestorePlanes(inst, planesBefore);
    return kMp4DecRefused;
  }
  PadDecodedFrame(inst);
  if (staged) {
    std::memcpy(inst.frameBuffer0, inst.frameBuffer1, FramePlaneBytes(ctx.geometry));
    PlaceFrames(inst, 0);
  }
  if (ctx.referenceMode == 0) {
    ctx.frameToggle = target == 0 ? 0 : 1;
  }
  ctx.lastDecodedBuffer = target;
  Mp4DecOutputFrame(inst, inst.decodeOrigin, io.output, io.outputStride, io.outputSwitch);
  ++ctx.mb.decodedVops;
  return kMp4DecOk;
}

// A size of 4096 or more does not fit its 12 bits: it is given as the largest value they hold,
// never as the size modulo 4096 (4800 would read as 704 and pass a check for 720).
std::uint32_t PackedField(std::int32_t value) {
  return static_cast<std::uint32_t>(std::min(value, kMp4DecStreamInfoFieldMax));
}

std::int32_t Mp4DecGetStreamInfo(const std::uint8_t* input, std::int32_t length,
                                 std::uint32_t* info) {
  Mp4DecStreamSize size;
  if (info == nullptr || !Mp4DecReadStreamSize(input, length, &size)) {
    return kMp4DecRefused;
  }
  *info = PackedField(size.width) << 12 | PackedField(size.height);
  return kMp4DecOk;
}

}  // namespace

bool Mp4DecReadStreamSize(const std::uint8_t* input, std::int32_t length, Mp4DecStreamSize* size) {
  if (input == nullptr || size == nullptr || length <= 0) {
    return false;
  }
  Mp4BitReader reader;
  reader.Init(std::span<const std::uint8_t>(
      input, static_cast<std::size_t>(std::min(length, kStreamInfoBytes))));
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (Mp4DecParseStreamInfo(reader, &width, &height) == 0) {
    return false;
  }
  *size = {width, height};
  return true;
}

std::int32_t Mp4DecControl(std::uintptr_t handle, std::uint32_t command, void* p1, void* p2,
                           std::int32_t width, std::int32_t height, std::int32_t flag) {
  primStaticInit();
  if (handle == 0) {
    return kMp4DecNullHandle;
  }
  const std::int32_t w = static_cast<std::uint16_t>(width);
  const std::int32_t h = static_cast<std::uint16_t>(height);
  switch (command) {
    case kMp4DecCmdQuerySizes: {
      auto* inst = static_cast<Mp4DecInstance*>(p1);
      auto* sizes = static_cast<Mp4DecBufferSizes*>(p2);
      if (inst == nullptr || sizes == nullptr || !SizeAllowed(w, h)) {
        return kMp4DecRefused;
      }
      inst->width = w;
      inst->height = h;
      const auto uw = static_cast<std::uint32_t>(w);
      const auto uh = static_cast<std::uint32_t>(h);
      sizes->frameBuffer0 = FrameBufferBytes(uw, uh);
      sizes->frameBuffer1 = FrameBufferBytes(uw, uh);
      sizes->outputPlanes = OutputPlaneBytes(uw, uh);
      sizes->context = kMp4DecContextBytes;
      sizes->tables = kMp4DecTablesBytes;
      sizes->bitReader = kMp4DecBitReaderBytes;
      return kMp4DecOk;
    }
    case kMp4DecCmdInit: {
      auto* inst = static_cast<Mp4DecInstance*>(p1);
      return inst == nullptr ? kMp4DecRefused : Mp4DecInit(*inst, flag);
    }
    case kMp4DecCmdClose:
    case kMp4DecCmdNoOp:
      return kMp4DecOk;
    case kMp4DecCmdSelectOutput: {
      auto* inst = static_cast<Mp4DecInstance*>(p1);
      if (inst == nullptr || inst->context == nullptr) {
        return kMp4DecRefused;
      }
      Mp4DecSelectOutput(ContextOf(*inst), inst->outputMode);
      return kMp4DecOk;
    }
    case kMp4DecCmdStreamInfo:
      return Mp4DecGetStreamInfo(static_cast<const std::uint8_t*>(p1), width,
                                 static_cast<std::uint32_t*>(p2));
    default: {
      auto* io = static_cast<Mp4DecFrameIo*>(p1);
      auto* inst = static_cast<Mp4DecInstance*>(p2);
      if (io == nullptr || inst == nullptr || inst->context == nullptr || inst->tables == nullptr ||
          inst->bitReader == nullptr || ContextOf(*inst).initialised == 0) {
        return kMp4DecRefused;
      }
      return Mp4DecDecodeFrame(*inst, *io);
    }
  }
}
