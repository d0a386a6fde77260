// Writes one .vs4 record file: header, frames straight from the caller's bytes, the index kept
// in memory (room for the format's 18,000 frames, reserved up front) and written with the
// trailer when the record is finished. Every write is checked: after a failed write nothing
// more is written into the frame area, and Finish still leaves a valid file holding the frames
// that were complete, giving up frames from the end when the disk has no room for the index.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "media/record/record_sink.h"
#include "media/record/vs4_format.h"

enum class Vs4Status {
  kOk,
  kNotOpen,
  kWriteFailed,  // a write did not complete (disk full or an I/O error)
  kFileFull,     // the file holds the format's maximum of frames
};

const char* Vs4StatusName(Vs4Status status);

class CVs4Writer {
 public:
  CVs4Writer();

  // Starts a file on the sink (the writer owns it until Finish).
  void Start(std::unique_ptr<IRecordSink> sink);
  bool IsOpen() const { return m_sink != nullptr; }

  // Writes the header at offset 0 (frame count and end second as given).
  Vs4Status WriteHeader(const Vs4FileHeader& header);
  // Writes one frame: descriptor (its number replaced by the running number, its interval by
  // 65535 when firstOfPreRecord) and bytes; kind goes into the index.
  Vs4Status WriteFrame(Vs4FrameDescriptor descriptor, std::span<const std::uint8_t> bytes,
                       std::uint32_t kind, bool firstOfPreRecord = false);
  // Finishes the file: header with the frame count and end second, index, trailer, close.
  // kOk when the file holds every frame written; kWriteFailed when a write failed at any time
  // (the file then still holds a valid record of the frames kept, FramesKept()).
  Vs4Status Finish(Vs4FileHeader header, std::uint32_t endSecond);

  std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(m_index.size()); }
  std::uint32_t FramesKept() const { return m_framesKept; }
  bool Failed() const { return m_failed; }
  std::uint64_t Offset() const { return m_offset; }

 private:
  bool WriteTail(const Vs4FileHeader& header, std::uint32_t frames);

  std::unique_ptr<IRecordSink> m_sink;
  std::vector<Vs4IndexEntry> m_index;
  std::vector<std::uint64_t> m_offsets;
  std::vector<std::uint8_t> m_tail;
  std::uint64_t m_offset = kVs4HeaderBytes;
  std::uint32_t m_framesKept = 0;
  bool m_failed = false;
};
