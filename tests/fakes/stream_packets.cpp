#include "stream_packets.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fakes {

namespace {

void PutMarked(ByteVector& b, std::size_t at, std::uint32_t value) {
  b[at] = static_cast<std::uint8_t>(0x80 | ((value >> 15) & 0x7F));
  b[at + 1] = static_cast<std::uint8_t>(((value >> 7) & 0xF0) | 0x08 | ((value >> 8) & 0x07));
  b[at + 2] = static_cast<std::uint8_t>(value & 0xFF);
}

void PutU16(ByteVector& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::vector<std::size_t> StartCodes(std::span<const std::uint8_t> d) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + 3 < d.size(); ++i) {
    if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1)
      at.push_back(i);
  }
  return at;
}

}  // namespace

ByteVector BuildFrame(std::uint8_t streamId, std::uint32_t pts, std::span<const std::uint8_t> data,
                      std::size_t headerBytes, bool infoBlock) {
  ByteVector f(headerBytes, 0xFF);
  f[0] = 0;
  f[1] = 0;
  f[2] = 1;
  f[3] = streamId;
  f[4] = 0;
  f[5] = 0;
  f[6] = 0x80;
  f[7] = 0x80;  // a time stamp only
  f[8] = static_cast<std::uint8_t>(headerBytes - 9);
  f[9] = static_cast<std::uint8_t>(0x21 | ((pts >> 29) & 0x06));
  f[10] = static_cast<std::uint8_t>(pts >> 22);
  f[11] = static_cast<std::uint8_t>(((pts >> 14) & 0xFE) | 1);
  f[12] = static_cast<std::uint8_t>(pts >> 7);
  f[13] = static_cast<std::uint8_t>(((pts << 1) & 0xFE) | 1);
  if (infoBlock) {
    f[20] = 'S';
    std::fill(f.begin() + 32, f.begin() + std::min<std::size_t>(104, headerBytes), 0);
  }
  f.insert(f.end(), data.begin(), data.end());
  if (f.size() % 2 != 0)
    f.push_back(0);
  PutMarked(f, 21, 0);
  PutMarked(f, 24, static_cast<std::uint32_t>(f.size()));
  return f;
}

std::vector<ClipFrame> Mpeg4Clip(std::span<const std::uint8_t> m4v, std::uint32_t ptsStep) {
  const std::vector<std::size_t> codes = StartCodes(m4v);
  std::vector<ClipFrame> clip;
  std::size_t headerStart = m4v.size();
  std::size_t headerEnd = m4v.size();
  for (std::size_t c : codes) {
    if (m4v[c + 3] == 0x00 && headerStart == m4v.size())
      headerStart = c;
    if ((m4v[c + 3] == 0xB3 || m4v[c + 3] == 0xB6) && headerEnd == m4v.size())
      headerEnd = c;
  }
  if (headerStart >= headerEnd)
    return clip;
  const std::span<const std::uint8_t> header = m4v.subspan(headerStart, headerEnd - headerStart);
  std::uint8_t gop = 0;
  bool first = true;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (m4v[codes[i] + 3] != 0xB6)
      continue;
    std::size_t begin = codes[i];
    if (i > 0 && m4v[codes[i - 1] + 3] == 0xB3)
      begin = codes[i - 1];
    std::size_t end = m4v.size();
    for (std::size_t j = i + 1; j < codes.size(); ++j) {
      if (m4v[codes[j] + 3] == 0xB3 || m4v[codes[j] + 3] == 0xB6) {
        end = codes[j];
        break;
      }
    }
    ClipFrame frame;
    frame.key = codes[i] + 4 < m4v.size() && (m4v[codes[i] + 4] >> 6) == 0;
    if (frame.key) {
      if (!first)
        gop = static_cast<std::uint8_t>((gop + 1) & 0x0F);
      frame.elementary.assign(header.begin(), header.end());
    }
    first = false;
    frame.elementary.insert(frame.elementary.end(),
                            m4v.begin() + static_cast<std::ptrdiff_t>(begin),
                            m4v.begin() + static_cast<std::ptrdiff_t>(end));
    frame.gop = gop;
    frame.pts = static_cast<std::uint32_t>(clip.size()) * ptsStep;
    frame.frame = BuildFrame(kStreamIdMpeg4, frame.pts, frame.elementary, 32, false);
    clip.push_back(std::move(frame));
  }
  return clip;
}

std::vector<ClipFrame> JpegClip(std::span<const std::uint8_t> mjpeg, std::uint32_t ptsStep) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i + 2 < mjpeg.size(); ++i) {
    if (mjpeg[i] == 0xFF && mjpeg[i + 1] == 0xD8 && mjpeg[i + 2] == 0xFF)
      starts.push_back(i);
  }
  std::vector<ClipFrame> clip;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : mjpeg.size();
    ClipFrame frame;
    frame.key = true;
    frame.elementary.assign(mjpeg.begin() + static_cast<std::ptrdiff_t>(starts[k]),
                            mjpeg.begin() + static_cast<std::ptrdiff_t>(end));
    frame.pts = static_cast<std::uint32_t>(k) * ptsStep;
    frame.frame = BuildFrame(kStreamIdJpeg, frame.pts, frame.elementary, 104, true);
    clip.push_back(std::move(frame));
  }
  return clip;
}

std::vector<ClipFrame> AudioClip(std::size_t blocks, std::size_t blockBytes,
                                 std::uint32_t ptsStep) {
  std::vector<ClipFrame> clip;
  for (std::size_t k = 0; k < blocks; ++k) {
    ClipFrame frame;
    frame.key = true;
    frame.elementary.resize(blockBytes);
    for (std::size_t i = 0; i < blockBytes; ++i) {
      frame.elementary[i] = static_cast<std::uint8_t>((i * 7 + k * 13) & 0xFF);
    }
    frame.pts = static_cast<std::uint32_t>(k) * ptsStep;
    frame.frame = BuildFrame(kStreamIdAudio, frame.pts, frame.elementary, 64, false);
    clip.push_back(std::move(frame));
  }
  return clip;
}

void SwapUnits(std::span<std::uint8_t> bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    std::swap(bytes[i], bytes[i + 1]);
}

ByteVector BuildPacketHeader(std::uint16_t sequence, std::uint8_t gop, std::size_t payloadBytes,
                             const PacketOptions& options) {
  std::uint16_t flags = 0;
  if (options.statusA)
    flags |= 0x0002;
  if (options.statusB)
    flags |= 0x0004;
  if (options.sequence)
    flags |= 0x0010;
  if (options.timeStamp)
    flags |= 0x0040;
  ByteVector h;
  PutU16(h, 1);
  PutU16(h, 0);
  h.push_back(static_cast<std::uint8_t>(gop << 4));
  h.push_back(0);
  PutU16(h, flags);
  if (options.statusA)
    PutU16(h, *options.statusA);
  if (options.statusB)
    PutU16(h, *options.statusB);
  if (options.sequence)
    PutU16(h, sequence);
  if (options.timeStamp) {
    PutU16(h, static_cast<std::uint16_t>(options.timeSeconds & 0xFFFF));
    PutU16(h, static_cast<std::uint16_t>(options.timeSeconds >> 16));
  }
  const std::size_t total = h.size() + payloadBytes;
  h[2] = static_cast<std::uint8_t>(total & 0xFF);
  h[3] = static_cast<std::uint8_t>((total >> 8) & 0xFF);
  return h;
}

std::vector<ByteVector> Packetize(const ClipFrame& frame, std::uint16_t& sequence,
                                  const PacketOptions& options) {
  std::vector<ByteVector> packets;
  const std::size_t headerBytes = BuildPacketHeader(0, 0, 0, options).size();
  const std::size_t chunk = (options.maxPacket - headerBytes) & ~std::size_t{1};
  for (std::size_t at = 0; at < frame.frame.size(); at += chunk) {
    const std::size_t n = std::min(chunk, frame.frame.size() - at);
    ByteVector p = BuildPacketHeader(sequence++, frame.gop, n, options);
    const std::size_t payloadAt = p.size();
    p.insert(p.end(), frame.frame.begin() + static_cast<std::ptrdiff_t>(at),
             frame.frame.begin() + static_cast<std::ptrdiff_t>(at + n));
    SwapUnits(std::span<std::uint8_t>(p).subspan(payloadAt));
    packets.push_back(std::move(p));
  }
  return packets;
}

ByteVector ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fakes
