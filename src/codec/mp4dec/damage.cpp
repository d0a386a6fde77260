#include "codec/mp4dec/damage.h"

bool Mp4DecDamaged(Mp4DecContext& ctx, const Mp4BitReader& reader, Mp4DecLayer layer,
                   Mp4DecFault fault, int block) {
  if (ctx.damage.layer != Mp4DecLayer::kNone) {
    return false;
  }
  const bool inPicture = layer >= Mp4DecLayer::kMacroblock;
  ctx.damage.layer = layer;
  ctx.damage.fault = fault;
  ctx.damage.mbX = inPicture ? ctx.mb.x : -1;
  ctx.damage.mbY = inPicture ? ctx.mb.y : -1;
  ctx.damage.block = inPicture ? block : -1;
  ctx.damage.bitPosition = reader.BitPosition();
  return false;
}

Mp4DecDamage Mp4DecLastDamage(const Mp4DecInstance& inst) {
  return inst.context == nullptr ? Mp4DecDamage{} : ContextOf(inst).damage;
}

const char* Mp4DecLayerName(Mp4DecLayer layer) {
  switch (layer) {
    case Mp4DecLayer::kNone:
      return "none";
    case Mp4DecLayer::kStream:
      return "stream";
    case Mp4DecLayer::kVol:
      return "VOL header";
    case Mp4DecLayer::kVop:
      return "VOP header";
    case Mp4DecLayer::kMacroblock:
      return "macroblock";
    case Mp4DecLayer::kMotionVector:
      return "motion vector";
    case Mp4DecLayer::kBlock:
      return "block";
  }
  return "unknown layer";
}

const char* Mp4DecFaultName(Mp4DecFault fault) {
  switch (fault) {
    case Mp4DecFault::kNone:
      return "none";
    case Mp4DecFault::kInvalidCode:
      return "invalid code";
    case Mp4DecFault::kRunPastBlock:
      return "run past the block";
    case Mp4DecFault::kInputEnded:
      return "input ended";
    case Mp4DecFault::kStartCode:
      return "start code";
    case Mp4DecFault::kVideoPacket:
      return "video packet";
    case Mp4DecFault::kUnsupported:
      return "unsupported";
  }
  return "unknown fault";
}
