// The MPEG-4 video decoder's one public entry, `Mp4DecControl`, and the records it takes.
//
// The decoder owns no memory: the caller asks for the block sizes (command 0x4000), allocates
// and zeroes the blocks, puts their addresses into an `Mp4DecInstance` and initialises
// (0x8000); then each call with a `Mp4DecFrameIo` decodes one frame of elementary stream.
// It has no threads and no locks; one instance is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// Commands.
inline constexpr std::uint32_t kMp4DecCmdDecode = 0;  // any value not listed below decodes
inline constexpr std::uint32_t kMp4DecCmdQuerySizes = 0x4000;
inline constexpr std::uint32_t kMp4DecCmdInit = 0x8000;
inline constexpr std::uint32_t kMp4DecCmdClose = 0x10000;
inline constexpr std::uint32_t kMp4DecCmdNoOp = 0x20000;
inline constexpr std::uint32_t kMp4DecCmdSelectOutput = 0x40000;
inline constexpr std::uint32_t kMp4DecCmdStreamInfo = 0x80000;

// Results.
inline constexpr std::int32_t kMp4DecOk = 0;
inline constexpr std::int32_t kMp4DecNullHandle = 2;
// Refused: a frame that is damaged, unsupported or has no VOP; a command whose arguments the
// decoder cannot serve (sizes outside 1..720 x 1..576, missing blocks, a reference mode other
// than 0 or 1); stream info that holds no rectangular VOL.
inline constexpr std::int32_t kMp4DecRefused = 3;

// Largest picture: 45 x 36 macroblocks.
inline constexpr std::int32_t kMp4DecMaxWidth = 720;
inline constexpr std::int32_t kMp4DecMaxHeight = 576;

// Block sizes returned as counts 4 to 6.
inline constexpr std::uint32_t kMp4DecContextBytes = 710484;
inline constexpr std::uint32_t kMp4DecTablesBytes = 11332;
inline constexpr std::uint32_t kMp4DecBitReaderBytes = 2216;

// Output modes (word 2 of the instance).
inline constexpr std::int32_t kMp4DecModeBgrBottomUp = 1;  // deinterlaced luma, 24-bit BGR
inline constexpr std::int32_t kMp4DecModeUyvy = 2;
inline constexpr std::int32_t kMp4DecModePlanar = 3;  // Y, then V, then U
inline constexpr std::int32_t kMp4DecModeRgb32Flip = 4;
inline constexpr std::int32_t kMp4DecModeRgb24Flip = 5;
inline constexpr std::int32_t kMp4DecModeRgb555Flip = 6;
inline constexpr std::int32_t kMp4DecModeRgb565Flip = 7;
inline constexpr std::int32_t kMp4DecModeRgb32 = 8;
inline constexpr std::int32_t kMp4DecModeRgb24 = 9;
inline constexpr std::int32_t kMp4DecModeRgb555 = 10;
inline constexpr std::int32_t kMp4DecModeRgb565 = 11;

// Caller-owned, one per stream. Pointer fields are pointer-sized.
struct Mp4DecInstance {
  std::int32_t width = 0;  // written by the size query, read by initialisation
  std::int32_t height = 0;
  std::int32_t outputMode = 0;  // 1..11
  std::int32_t reserved = 0;
  std::uint8_t* frameBuffer0 = nullptr;       // first count
  std::uint8_t* frameBuffer1 = nullptr;       // second count
  std::uint8_t* outputPlaneBuffer = nullptr;  // third count
  void* context = nullptr;                    // fourth count (Mp4DecContext)
  void* tables = nullptr;                     // fifth count (Mp4DecTables)
  void* bitReader = nullptr;                  // sixth count (Mp4BitReader)
  std::uint8_t* decodeBase[3] = {};           // padded Y, U, V planes of the frame being decoded
  std::uint8_t* referenceBase[3] = {};        // padded planes of the reference frame
  std::uint8_t* decodeOrigin[3] = {};         // first visible pixel of each plane
  std::uint8_t* referenceOrigin[3] = {};
  std::uint8_t* outputPlane[3] = {};  // Y, U, V in the output-plane buffer
};

// Written by the size query.
struct Mp4DecBufferSizes {
  std::uint32_t frameBuffer0;
  std::uint32_t frameBuffer1;
  std::uint32_t outputPlanes;
  std::uint32_t context;
  std::uint32_t tables;
  std::uint32_t bitReader;
};

// The first argument of the decode command.
struct Mp4DecFrameIo {
  std::uint8_t* output = nullptr;       // receives the converted picture
  const std::uint8_t* input = nullptr;  // one frame of elementary stream
  std::int32_t inputLength = 0;         // bytes
  std::int32_t outputSwitch = 0;        // 0: decode only; else convert into `output`
  std::int32_t outputStride = 0;        // pixels (modes 2 and 3)
};

// The decoder's entry. `handle` must be non-null (callers pass 1).
//   0x4000  p1 = Mp4DecInstance*, p2 = Mp4DecBufferSizes*: stores width and height, writes the
//           six counts.
//   0x8000  p1 = Mp4DecInstance* (sizes, mode, blocks): initialise; flag = reference mode
//           (0: each VOP predicted from the one before; 1: from the last I-VOP).
//   0x10000, 0x20000: nothing.
//   0x40000 p1 = Mp4DecInstance*: select the converter of the instance's output mode.
//   0x80000 p1 = stream bytes, p2 = std::uint32_t* (receives width << 12 | height, each
//           at most kMp4DecStreamInfoFieldMax: a larger one is given as that maximum);
//           `width` carries how many bytes of p1 are readable (at most 256 are read).
//   other   p1 = Mp4DecFrameIo*, p2 = Mp4DecInstance*: decode one frame.
// width and height are taken as 16-bit values.
std::int32_t Mp4DecControl(std::uintptr_t handle, std::uint32_t command, void* p1, void* p2,
                           std::int32_t width, std::int32_t height, std::int32_t flag);

// The picture size of a stream's video object layer, as command 0x80000 finds it, whole: the
// packed word holds 12 bits of each (a size of 4096 or more is given there as 4095, which no
// size check passes). Reads at most 256 of the `length` bytes at `input`, which start at a
// video object start code. False, and `size` untouched, when no rectangular VOL size is there.
struct Mp4DecStreamSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
bool Mp4DecReadStreamSize(const std::uint8_t* input, std::int32_t length, Mp4DecStreamSize* size);

// The largest width and height the packed stream-info word holds.
inline constexpr std::int32_t kMp4DecStreamInfoFieldMax = 0xFFF;

// Bytes a converted picture needs in the output buffer for a mode (0 for a mode outside
// 1..11): modes 1, 5, 9: 3wh; 4, 8: 4wh; 6, 7, 10, 11: 2wh; 2: 2 * stride * h;
// 3: stride * h * 3 / 2.
std::size_t Mp4DecOutputBytes(std::int32_t mode, std::int32_t width, std::int32_t height,
                              std::int32_t stride);

// Where a refused frame was found damaged, so that a trace line or a failing test can say more
// than "refused": the syntax layer, what was wrong there, the macroblock and block, and the bit
// position in the frame's input where the decoder saw it.
enum class Mp4DecLayer : std::int32_t {
  kNone = 0,      // the frame decoded, or its input was not read (arguments refused)
  kStream,        // before any VOL or VOP start code
  kVol,           // the video object layer header
  kVop,           // the VOP header
  kMacroblock,    // a macroblock header, or what stands between two macroblocks
  kMotionVector,  // a motion vector of an inter macroblock
  kBlock,         // the DC and coefficient codes of one block
};

enum class Mp4DecFault : std::int32_t {
  kNone = 0,
  kInvalidCode,   // no code of the table starts here, or the value cannot stand here
  kRunPastBlock,  // a coefficient run leaves the 8x8 block
  kInputEnded,    // the input ended inside the layer
  kStartCode,     // a start code before the last macroblock, or none where one must stand
  kVideoPacket,   // a resync marker: video packets are not decoded
  kUnsupported,   // a tool, coding type or field value this decoder does not take
};

struct Mp4DecDamage {
  Mp4DecLayer layer = Mp4DecLayer::kNone;
  Mp4DecFault fault = Mp4DecFault::kNone;
  std::int32_t mbX = -1;  // macroblock column and row, -1 above the macroblock layer
  std::int32_t mbY = -1;
  std::int32_t block = -1;  // 0..3 luma, 4 Cb, 5 Cr; -1 outside a block
  std::uint64_t bitPosition = 0;
};

// The damage of the last frame decoded with this instance (layer kNone when it decoded). Reads
// the instance's context block; an instance without one gives the empty record.
Mp4DecDamage Mp4DecLastDamage(const Mp4DecInstance& inst);
// Short English names for traces: "block", "run past the block", ...
const char* Mp4DecLayerName(Mp4DecLayer layer);
const char* Mp4DecFaultName(Mp4DecFault fault);
