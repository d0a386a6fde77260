#include "media/record/vs4_writer.h"

#include <algorithm>

#include "app/trace.h"

const char* Vs4StatusName(Vs4Status status) {
  switch (status) {
    case Vs4Status::kOk:
      return "ok";
    case Vs4Status::kNotOpen:
      return "no record file open";
    case Vs4Status::kWriteFailed:
      return "record file write failed";
    case Vs4Status::kFileFull:
      return "record file full";
  }
  return "?";
}

CVs4Writer::CVs4Writer() {
  m_index.reserve(kVs4IndexCapacity);
  m_offsets.reserve(kVs4IndexCapacity);
  m_tail.reserve(kVs4IndexCapacity * kVs4IndexEntryBytes + kVs4TrailerBytes);
}

void CVs4Writer::Start(std::unique_ptr<IRecordSink> sink) {
  m_sink = std::move(sink);
  m_index.clear();
  m_offsets.clear();
  m_offset = kVs4HeaderBytes;
  m_framesKept = 0;
  m_failed = false;
}

Vs4Status CVs4Writer::WriteHeader(const Vs4FileHeader& header) {
  if (!m_sink) {
    return Vs4Status::kNotOpen;
  }
  const auto bytes = header.Bytes();
  if (!m_sink->WriteAt(0, bytes)) {
    m_failed = true;
    return Vs4Status::kWriteFailed;
  }
  return Vs4Status::kOk;
}

Vs4Status CVs4Writer::WriteFrame(Vs4FrameDescriptor descriptor, std::span<const std::uint8_t> bytes,
                                 std::uint32_t kind, bool firstOfPreRecord) {
  if (!m_sink) {
    return Vs4Status::kNotOpen;
  }
  if (m_failed) {
    return Vs4Status::kWriteFailed;
  }
  if (m_index.size() >= kVs4MaxFrames) {
    return Vs4Status::kFileFull;
  }
  descriptor.dwNumber = static_cast<std::uint32_t>(m_index.size() + 1);
  descriptor.dwLength = static_cast<std::uint32_t>(bytes.size());
  if (firstOfPreRecord) {
    descriptor.dwInterval = kVs4NoPreviousFrame;
  }
  const auto head = descriptor.Bytes();
  if (!m_sink->WriteAt(m_offset, head) || !m_sink->WriteAt(m_offset + head.size(), bytes)) {
    m_failed = true;
    DebugPrint("CVs4Writer: frame %zu not written, record stops\n", m_index.size() + 1);
    return Vs4Status::kWriteFailed;
  }
  // Entry 0 holds offset 0; every later entry the offset of its frame's descriptor.
  m_index.push_back({m_index.empty() ? 0u : static_cast<std::uint32_t>(m_offset), kind});
  m_offsets.push_back(m_offset);
  m_offset += head.size() + bytes.size();
  return Vs4Status::kOk;
}

bool CVs4Writer::WriteTail(const Vs4FileHeader& header, std::uint32_t frames) {
  const std::uint64_t end =
      frames == m_index.size() ? m_offset : m_offsets[frames];  // frames < size: cut there
  if (!m_sink->Truncate(end)) {
    return false;
  }
  m_tail.clear();
  auto put = [this](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      m_tail.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
  };
  for (std::uint32_t i = 0; i < frames; ++i) {
    put(m_index[i].dwOffset);
    put(m_index[i].dwKind);
  }
  put(frames);
  Vs4FileHeader finished = header;
  finished.dwFrameCount = frames;
  return m_sink->WriteAt(end, m_tail) && m_sink->WriteAt(0, finished.Bytes());
}

Vs4Status CVs4Writer::Finish(Vs4FileHeader header, std::uint32_t endSecond) {
  if (!m_sink) {
    return Vs4Status::kNotOpen;
  }
  header.dwEndSecond = endSecond;
  auto frames = static_cast<std::uint32_t>(m_index.size());
  bool complete = WriteTail(header, frames);
  // No room for the index: give up frames from the end until header, frames and index fit.
  // Each frame given up frees at least its 48-byte descriptor and needs 8 index bytes less.
  while (!complete && frames > 0) {
    m_failed = true;
    frames = frames > 64 ? frames - frames / 64 : frames - 1;
    complete = WriteTail(header, frames);
  }
  if (!complete) {
    m_failed = true;
    frames = 0;
    complete = WriteTail(header, 0);
  }
  m_framesKept = complete ? frames : 0;
  if (!m_sink->Close()) {
    m_failed = true;
  }
  m_sink.reset();
  return m_failed ? Vs4Status::kWriteFailed : Vs4Status::kOk;
}
