#include "codec/context/mpeg4_decoder_context.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

// The decoder handle is a token the decoder only checks for null.
constexpr std::uintptr_t kDecoderHandle = 1;
// Blocks are aligned for any of the decoder's records.
constexpr std::align_val_t kBlockAlignment{64};

bool SizeFits(std::uint16_t width, std::uint16_t height) {
  return width > 0 && height > 0 && width <= kMp4DecMaxWidth && height <= kMp4DecMaxHeight;
}

bool CountsFit(const Mp4DecBufferSizes& needed, const Mp4DecBufferSizes& allocated) {
  return needed.frameBuffer0 <= allocated.frameBuffer0 &&
         needed.frameBuffer1 <= allocated.frameBuffer1 &&
         needed.outputPlanes <= allocated.outputPlanes && needed.context <= allocated.context &&
         needed.tables <= allocated.tables && needed.bitReader <= allocated.bitReader;
}

}  // namespace

void CMpeg4DecoderContext::AlignedFree::operator()(std::uint8_t* block) const {
  ::operator delete[](block, kBlockAlignment);
}

CMpeg4DecoderContext::Block CMpeg4DecoderContext::AllocateBlock(std::size_t bytes) {
  auto* raw = static_cast<std::uint8_t*>(::operator new[](bytes, kBlockAlignment, std::nothrow));
  return Block(raw);
}

CMpeg4DecoderContext::~CMpeg4DecoderContext() {
  Close();
}

void CMpeg4DecoderContext::Close() {
  if (m_bOpened != 0) {
    Mp4DecControl(kDecoderHandle, kMp4DecCmdClose, nullptr, nullptr, 0, 0, 0);
  }
  m_bOpened = 0;
}

int CMpeg4DecoderContext::AllocateBuffers() {
  if (m_pPicture) {
    return 1;  // once only: the blocks already serve the largest picture
  }
  m_Instance.width = kMp4DecMaxWidth;
  m_Instance.height = kMp4DecMaxHeight;
  m_Instance.outputMode = kMp4DecModeBgrBottomUp;
  m_Instance.reserved = 0;
  Mp4DecBufferSizes sizes{};
  if (Mp4DecControl(kDecoderHandle, kMp4DecCmdQuerySizes, &m_Instance, &sizes, kMp4DecMaxWidth,
                    kMp4DecMaxHeight, 0) != kMp4DecOk) {
    return 0;
  }
  m_pFrame0 = AllocateBlock(sizes.frameBuffer0);
  m_pFrame1 = AllocateBlock(sizes.frameBuffer1);
  m_pOutputPlanes = AllocateBlock(sizes.outputPlanes);
  m_pContext = AllocateBlock(sizes.context);
  m_pTables = AllocateBlock(sizes.tables);
  m_pBitReader = AllocateBlock(sizes.bitReader);
  m_pPicture = AllocateBlock(kMpeg4PictureBytes);
  if (!m_pFrame0 || !m_pFrame1 || !m_pOutputPlanes || !m_pContext || !m_pTables || !m_pBitReader ||
      !m_pPicture) {
    m_pFrame0.reset();
    m_pFrame1.reset();
    m_pOutputPlanes.reset();
    m_pContext.reset();
    m_pTables.reset();
    m_pBitReader.reset();
    m_pPicture.reset();
    return 0;
  }
  // Pictures start black rather than with whatever the heap held.
  std::fill_n(m_pFrame0.get(), sizes.frameBuffer0, 0);
  std::fill_n(m_pFrame1.get(), sizes.frameBuffer1, 0);
  std::fill_n(m_pOutputPlanes.get(), sizes.outputPlanes, 0);
  std::fill_n(m_pPicture.get(), kMpeg4PictureBytes, 0);
  m_BufferSizes = sizes;
  m_Allocated = sizes;
  m_Instance.frameBuffer0 = m_pFrame0.get();
  m_Instance.frameBuffer1 = m_pFrame1.get();
  m_Instance.outputPlaneBuffer = m_pOutputPlanes.get();
  m_Instance.context = m_pContext.get();
  m_Instance.tables = m_pTables.get();
  m_Instance.bitReader = m_pBitReader.get();
  return 1;
}

bool CMpeg4DecoderContext::Open(std::uint16_t width, std::uint16_t height, std::uint32_t flags) {
  Close();
  m_dwDecoding = 0;
  m_dwCurrentStream = 0;
  // A size the buffers cannot hold leaves the wrapper closed with no picture to copy.
  const bool fits = SizeFits(width, height);
  m_Stream.width = fits ? width : 0;
  m_Stream.height = fits ? height : 0;
  m_dwWidth = m_Stream.width;
  m_dwHeight = m_Stream.height;
  if (!fits || !Reset(width, height, flags)) {
    m_Stream.width = m_Stream.height = 0;
    m_dwWidth = m_dwHeight = 0;
    return false;
  }
  m_bOpened = 1;
  return true;
}

void CMpeg4DecoderContext::ZeroWorkBlocks() {
  std::fill_n(m_pContext.get(), m_BufferSizes.context, 0);
  std::fill_n(m_pTables.get(), m_BufferSizes.tables, 0);
  std::fill_n(m_pBitReader.get(), m_BufferSizes.bitReader, 0);
}

bool CMpeg4DecoderContext::Reset(std::uint16_t width, std::uint16_t height, std::uint32_t flags) {
  if (!m_pPicture || !SizeFits(width, height) ||
      flags > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  Mp4DecBufferSizes sizes{};
  if (Mp4DecControl(kDecoderHandle, kMp4DecCmdQuerySizes, &m_Instance, &sizes, width, height, 0) !=
          kMp4DecOk ||
      !CountsFit(sizes, m_Allocated)) {
    return false;
  }
  m_BufferSizes = sizes;
  ZeroWorkBlocks();
  m_Instance.outputMode = kMp4DecModeBgrBottomUp;
  if (Mp4DecControl(kDecoderHandle, kMp4DecCmdInit, &m_Instance, nullptr, 0, 0,
                    static_cast<std::int32_t>(flags)) != kMp4DecOk) {
    return false;
  }
  m_FrameIo = Mp4DecFrameIo{};
  m_FrameIo.output = m_pPicture.get();
  m_FrameIo.outputSwitch = 1;
  m_FrameIo.outputStride = m_Instance.width;
  return true;
}

bool CMpeg4DecoderContext::DecodeFrame(const std::uint8_t* frame, std::uint32_t length,
                                       std::uint32_t, std::uint32_t, std::uint32_t,
                                       std::uint16_t /*width*/, std::uint16_t /*height*/) {
  if (m_bOpened == 0 || frame == nullptr || length == 0 ||
      length > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  m_FrameIo.input = frame;
  m_FrameIo.inputLength = static_cast<std::int32_t>(length);
  m_dwDecoding = 1;
  const std::int32_t result =
      Mp4DecControl(kDecoderHandle, kMp4DecCmdDecode, &m_FrameIo, &m_Instance, 0, 0, 0);
  m_FrameIo.input = nullptr;
  m_FrameIo.inputLength = 0;
  return result == kMp4DecOk;
}

bool CMpeg4DecoderContext::DecodeFrameInto(const std::uint8_t* frame, std::uint32_t length,
                                           std::span<std::uint8_t> destination) {
  // The decoder writes a picture of the size it was last initialised for, which a Reset after
  // the Open may have changed: the destination must hold that as well as the open stream's.
  const std::size_t bytes = std::max(static_cast<std::size_t>(m_Stream.width) * m_Stream.height * 3,
                                     Mp4DecOutputBytes(kMp4DecModeBgrBottomUp, m_Instance.width,
                                                       m_Instance.height, m_Instance.width));
  if (m_bOpened == 0 || destination.size() < bytes) {
    return false;
  }
  // Every picture the decoder puts out (a decoded VOP, or the last one again for a VOP that is
  // not coded) is the whole picture, so the destination needs nothing from the wrapper's.
  m_FrameIo.output = destination.data();
  const bool decoded = DecodeFrame(frame, length, 0, 0, 0, 0, 0);
  m_FrameIo.output = m_pPicture.get();
  return decoded;
}

int CMpeg4DecoderContext::CopyImage(std::uint8_t* destination, std::uint32_t) {
  const std::size_t bytes = static_cast<std::size_t>(m_Stream.width) * m_Stream.height * 3;
  if (destination != nullptr && m_pPicture && bytes > 0) {
    std::memcpy(destination, m_pPicture.get(), bytes);
  }
  return 1;
}

int CMpeg4DecoderContext::CopyImage(std::span<std::uint8_t> destination) const {
  const std::size_t bytes = static_cast<std::size_t>(m_Stream.width) * m_Stream.height * 3;
  if (!m_pPicture || bytes == 0 || destination.size() < bytes) {
    return 0;
  }
  std::memcpy(destination.data(), m_pPicture.get(), bytes);
  return 1;
}

std::span<const std::uint8_t> CMpeg4DecoderContext::Picture() const {
  if (!m_pPicture) {
    return {};
  }
  return {m_pPicture.get(), kMpeg4PictureBytes};
}

std::uint32_t CMpeg4DecoderContext::Decode(const std::uint8_t* buffer, std::int32_t length,
                                           std::uint32_t* pts, std::uint32_t* width,
                                           std::uint32_t* height, std::uint32_t* unused,
                                           std::uint32_t* vopType) {
  return ScanStream(buffer, length, pts, width, height, unused, vopType);
}

std::unique_ptr<CMpeg4DecoderContext> CreateDecoderContext(std::uint32_t owner) {
  auto context = std::make_unique<CMpeg4DecoderContext>();
  context->m_dwOwner = owner;
  return context;
}
