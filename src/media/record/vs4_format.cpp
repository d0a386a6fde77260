#include "media/record/vs4_format.h"

#include <charconv>

#include "app/utility.h"

namespace {

class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::uint8_t> out) : m_out(out) {}
  void U8(std::uint8_t v) { m_out[m_at++] = v; }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Time(const SystemTime& t) {
    for (std::uint8_t b : t.Bytes()) {
      U8(b);
    }
  }
  void Skip(std::size_t n) { m_at += n; }

 private:
  std::span<std::uint8_t> m_out;
  std::size_t m_at = 0;
};

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> in) : m_in(in) {}
  std::uint8_t U8() { return m_in[m_at++]; }
  std::uint16_t U16() {
    const std::uint16_t lo = U8();
    return static_cast<std::uint16_t>(lo | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t lo = U16();
    return lo | (static_cast<std::uint32_t>(U16()) << 16);
  }
  SystemTime Time() {
    SystemTime t;
    t.wYear = U16();
    t.wMonth = U16();
    t.wDayOfWeek = U16();
    t.wDay = U16();
    t.wHour = U16();
    t.wMinute = U16();
    t.wSecond = U16();
    t.wMilliseconds = U16();
    return t;
  }
  void Skip(std::size_t n) { m_at += n; }

 private:
  std::span<const std::uint8_t> m_in;
  std::size_t m_at = 0;
};

std::uint32_t LoadU32(std::span<const std::uint8_t> b, std::size_t at) {
  return ByteReader(b.subspan(at, 4)).U32();
}

}  // namespace

std::array<std::uint8_t, kVs4HeaderBytes> Vs4FileHeader::Bytes() const {
  std::array<std::uint8_t, kVs4HeaderBytes> out{};
  ByteWriter w(out);
  w.U32(dwFrameCount);
  w.U32(dwStartSecond);
  w.U32(dwEndSecond);
  for (std::uint8_t b : abyServerAddress) {
    w.U8(b);
  }
  w.U8(byResolution);
  w.U8(byRecordKind);
  w.Skip(30);
  w.Time(FirstFrameTime);
  w.Skip(4);
  w.U32(dwFormatTag);
  w.U8(byAvOption);
  return out;
}

Vs4FileHeader Vs4FileHeader::Parse(std::span<const std::uint8_t, kVs4HeaderBytes> bytes) {
  Vs4FileHeader h;
  ByteReader r(bytes);
  h.dwFrameCount = r.U32();
  h.dwStartSecond = r.U32();
  h.dwEndSecond = r.U32();
  for (auto& b : h.abyServerAddress) {
    b = r.U8();
  }
  h.byResolution = r.U8();
  h.byRecordKind = r.U8();
  r.Skip(30);
  h.FirstFrameTime = r.Time();
  r.Skip(4);
  h.dwFormatTag = r.U32();
  h.byAvOption = r.U8();
  return h;
}

std::array<std::uint8_t, kVs4DescriptorBytes> Vs4FrameDescriptor::Bytes() const {
  std::array<std::uint8_t, kVs4DescriptorBytes> out{};
  ByteWriter w(out);
  w.U32(dwNumber);
  w.U32(dwLength);
  w.U32(dwInterval);
  w.U32(dwFormatTag);
  w.U8(byResolution);
  w.U8(0);
  w.U8(byChannel);
  w.U8(0);
  w.U32(0);
  w.Time(StoreTime);
  w.U32(dwAdpcmStepIndex);
  w.U32(dwAdpcmPrediction);
  return out;
}

Vs4FrameDescriptor Vs4FrameDescriptor::Parse(
    std::span<const std::uint8_t, kVs4DescriptorBytes> bytes) {
  Vs4FrameDescriptor d;
  ByteReader r(bytes);
  d.dwNumber = r.U32();
  d.dwLength = r.U32();
  d.dwInterval = r.U32();
  d.dwFormatTag = r.U32();
  d.byResolution = r.U8();
  r.Skip(1);
  d.byChannel = r.U8();
  r.Skip(5);
  d.StoreTime = r.Time();
  d.dwAdpcmStepIndex = r.U32();
  d.dwAdpcmPrediction = r.U32();
  return d;
}

std::array<std::uint8_t, 4> ServerAddressBytes(const std::string& address) {
  std::array<std::uint8_t, 4> out{};
  const char* p = address.data();
  const char* end = p + address.size();
  for (std::size_t i = 0; i < 4; ++i) {
    unsigned value = 256;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc{} || value > 255 || next == p || next - p > 3) {
      return {};
    }
    out[i] = static_cast<std::uint8_t>(value);
    p = next;
    if (i < 3) {
      if (p == end || *p != '.') {
        return {};
      }
      ++p;
    }
  }
  return p == end ? out : std::array<std::uint8_t, 4>{};
}

const char* RecordFilePrefix(RecordKind kind, std::uint8_t videoFormat) {
  const bool mpeg4 = videoFormat == 4;
  switch (kind) {
    case RecordKind::kAlarm:
      return mpeg4 ? "ALARM_MP4_" : "ALARM_MJPEG_";
    case RecordKind::kUser:
      return mpeg4 ? "USER_MP4_" : "USER_MJPEG_";
    case RecordKind::kSchedule:
      return mpeg4 ? "SCH_MP4_" : "SCH_MJPEG_";
  }
  return "";
}

std::string BuildRecordFileName(std::string& recordPath, RecordKind kind, std::uint8_t videoFormat,
                                const SystemTime& localTime, const std::string& sessionId) {
  if (recordPath.empty() || recordPath.back() != '/') {
    recordPath += '/';
  }
  std::string session = sessionId.substr(0, 4);
  for (char& c : session) {
    const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c == '-' || c == '_';
    if (!keep) {
      c = '_';
    }
  }
  return recordPath + RecordFilePrefix(kind, videoFormat) + FormatTwoDigits(localTime.wYear % 100) +
         FormatTwoDigits(localTime.wMonth) + FormatTwoDigits(localTime.wDay) + "T" +
         FormatTwoDigits(localTime.wHour) + FormatTwoDigits(localTime.wMinute) +
         FormatTwoDigits(localTime.wSecond) + "_" + session + ".vs4";
}

const char* Vs4ReadErrorName(Vs4ReadError error) {
  switch (error) {
    case Vs4ReadError::kNone:
      return "ok";
    case Vs4ReadError::kTooShort:
      return "too short";
    case Vs4ReadError::kCountMismatch:
      return "frame count mismatch";
    case Vs4ReadError::kFramePastEnd:
      return "frame past the end";
    case Vs4ReadError::kIndexMismatch:
      return "index mismatch";
    case Vs4ReadError::kTooManyFrames:
      return "too many frames";
  }
  return "?";
}

std::optional<Vs4File> ReadVs4(std::span<const std::uint8_t> bytes, Vs4ReadError* error) {
  auto fail = [error](Vs4ReadError e) -> std::optional<Vs4File> {
    if (error != nullptr) {
      *error = e;
    }
    return std::nullopt;
  };
  if (bytes.size() < kVs4HeaderBytes + kVs4TrailerBytes) {
    return fail(Vs4ReadError::kTooShort);
  }
  Vs4File file;
  file.header = Vs4FileHeader::Parse(bytes.first<kVs4HeaderBytes>());
  file.trailer = LoadU32(bytes, bytes.size() - kVs4TrailerBytes);
  const std::uint64_t count = file.header.dwFrameCount;
  if (count > kVs4IndexCapacity) {
    return fail(Vs4ReadError::kTooManyFrames);
  }
  const std::uint64_t tail = count * kVs4IndexEntryBytes + kVs4TrailerBytes;
  if (file.trailer != count || tail > bytes.size() - kVs4HeaderBytes) {
    return fail(Vs4ReadError::kCountMismatch);
  }
  const std::uint64_t indexAt = bytes.size() - tail;
  std::uint64_t at = kVs4HeaderBytes;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (indexAt - at < kVs4DescriptorBytes) {
      return fail(Vs4ReadError::kFramePastEnd);
    }
    Vs4Frame frame;
    frame.offset = at;
    frame.descriptor = Vs4FrameDescriptor::Parse(
        bytes.subspan(static_cast<std::size_t>(at)).first<kVs4DescriptorBytes>());
    at += kVs4DescriptorBytes;
    if (frame.descriptor.dwLength > indexAt - at) {
      return fail(Vs4ReadError::kFramePastEnd);
    }
    const auto body = bytes.subspan(static_cast<std::size_t>(at), frame.descriptor.dwLength);
    frame.bytes.assign(body.begin(), body.end());
    at += frame.descriptor.dwLength;
    file.frames.push_back(std::move(frame));
  }
  if (at != indexAt) {
    return fail(Vs4ReadError::kFramePastEnd);
  }
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::size_t p = static_cast<std::size_t>(indexAt + i * kVs4IndexEntryBytes);
    Vs4IndexEntry entry{LoadU32(bytes, p), LoadU32(bytes, p + 4)};
    const std::uint64_t expected = i == 0 ? 0 : file.frames[i].offset;
    if (entry.dwOffset != expected) {
      return fail(Vs4ReadError::kIndexMismatch);
    }
    file.index.push_back(entry);
  }
  if (error != nullptr) {
    *error = Vs4ReadError::kNone;
  }
  return file;
}

std::vector<Vs4Finding> CheckVs4Record(const Vs4File& file) {
  std::vector<Vs4Finding> findings;
  if (file.frames.empty()) {
    findings.push_back({Vs4Fault::kNoFrames, 0, 0});
  }
  for (std::size_t i = 0; i < file.frames.size(); ++i) {
    const std::uint32_t interval = file.frames[i].descriptor.dwInterval;
    if (interval > kVs4MaxInterval) {
      findings.push_back(
          {Vs4Fault::kImplausibleInterval, static_cast<std::uint32_t>(i + 1), interval});
    }
  }
  return findings;
}

std::string Vs4FindingText(const Vs4Finding& finding) {
  switch (finding.fault) {
    case Vs4Fault::kNoFrames:
      return "no frames: an empty record";
    case Vs4Fault::kImplausibleInterval:
      return "frame " + std::to_string(finding.frame) + ": interval " +
             std::to_string(finding.value) + " ms is past the longest forward step of the time " +
             "stamps (" + std::to_string(kVs4MaxInterval) + " ms): a step back taken as a wrap";
  }
  return "?";
}
