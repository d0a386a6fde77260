#include "codec/mp4dec/damage.h"

#include <cstddef>
#include <iterator>

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

namespace {

// Names by value, in the order of the enumerations.
constexpr const char* kLayerNames[] = {"none",       "stream",        "VOL header", "VOP header",
                                       "macroblock", "motion vector", "block"};
constexpr const char* kFaultNames[] = {"none",        "invalid code", "run past the block",
                                       "input ended", "start code",   "video packet",
                                       "unsupported"};

static_assert(std::size(kLayerNames) == static_cast<std::size_t>(Mp4DecLayer::kBlock) + 1);
static_assert(std::size(kFaultNames) == static_cast<std::size_t>(Mp4DecFault::kUnsupported) + 1);

template <typename Enum, std::size_t N>
const char* NameOf(Enum value, const char* const (&names)[N]) {
  const auto index = static_cast<std::size_t>(value);
  return index < N ? names[index] : "unknown";
}

}  // namespace

const char* Mp4DecLayerName(Mp4DecLayer layer) {
  return NameOf(layer, kLayerNames);
}

const char* Mp4DecFaultName(Mp4DecFault fault) {
  return NameOf(fault, kFaultNames);
}
