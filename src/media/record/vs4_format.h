// The .vs4 record file: a 76-byte header, then per frame a 48-byte descriptor and the frame
// bytes, then the frame index (8 bytes per frame) and a 4-byte trailer repeating the frame
// count. All integers little-endian. Also the record file names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/system_time.h"

inline constexpr std::size_t kVs4HeaderBytes = 76;
inline constexpr std::size_t kVs4DescriptorBytes = 48;
inline constexpr std::size_t kVs4IndexEntryBytes = 8;
inline constexpr std::size_t kVs4TrailerBytes = 4;
inline constexpr std::uint32_t kVs4MaxFrames = 18000;
inline constexpr std::uint32_t kVs4IndexCapacity = 20000;
inline constexpr std::uint32_t kVs4FormatJpeg = 0x01234567;
inline constexpr std::uint32_t kVs4FormatMpeg4 = 0x89ABCDEF;
inline constexpr std::uint8_t kVs4ResolutionPending = 255;
inline constexpr std::uint32_t kVs4NoPreviousFrame = 65535;
// The longest interval (ms) a forward step of the 90 kHz stamps gives: half their 32-bit range,
// 23,860,929 ms (6.6 hours). Beyond it a difference of two stamps is a step back, so no
// recorder writes more; a larger interval in a file is a step back taken as an unsigned wrap
// (13.3 hours less the step), which the player would wait before showing the frame.
inline constexpr std::uint32_t kVs4MaxInterval = 0x80000000u / 90;

enum class RecordKind : std::uint8_t { kAlarm = 1, kUser = 2, kSchedule = 3 };

// Frame kinds of the ring and the index.
inline constexpr std::uint32_t kFrameKindAudio = 0;
inline constexpr std::uint32_t kFrameKindMpeg4Key = 1;
inline constexpr std::uint32_t kFrameKindJpeg = 3;

struct Vs4FileHeader {
  std::uint32_t dwFrameCount = 0;
  std::uint32_t dwStartSecond = 0;
  std::uint32_t dwEndSecond = 0;
  std::array<std::uint8_t, 4> abyServerAddress{};
  std::uint8_t byResolution = kVs4ResolutionPending;
  std::uint8_t byRecordKind = 0;
  SystemTime FirstFrameTime{};
  std::uint32_t dwFormatTag = 0;
  std::uint8_t byAvOption = 0;

  std::array<std::uint8_t, kVs4HeaderBytes> Bytes() const;
  static Vs4FileHeader Parse(std::span<const std::uint8_t, kVs4HeaderBytes> bytes);
  friend bool operator==(const Vs4FileHeader&, const Vs4FileHeader&) = default;
};

struct Vs4FrameDescriptor {
  std::uint32_t dwNumber = 0;
  std::uint32_t dwLength = 0;
  std::uint32_t dwInterval = 0;
  std::uint32_t dwFormatTag = 0;
  std::uint8_t byResolution = 0;
  std::uint8_t byChannel = 0;
  SystemTime StoreTime{};
  std::uint32_t dwAdpcmStepIndex = 0;
  std::uint32_t dwAdpcmPrediction = 0;

  std::array<std::uint8_t, kVs4DescriptorBytes> Bytes() const;
  static Vs4FrameDescriptor Parse(std::span<const std::uint8_t, kVs4DescriptorBytes> bytes);
  friend bool operator==(const Vs4FrameDescriptor&, const Vs4FrameDescriptor&) = default;
};

struct Vs4IndexEntry {
  std::uint32_t dwOffset = 0;
  std::uint32_t dwKind = 0;
  friend bool operator==(const Vs4IndexEntry&, const Vs4IndexEntry&) = default;
};

// The server address text split at "." into four bytes; anything but four decimal numbers of
// 0..255 (a host name) gives zeros.
std::array<std::uint8_t, 4> ServerAddressBytes(const std::string& address);

// Appends "/" to recordPath itself when it does not end in one, then returns
// recordPath + prefix + YYMMDD "T" hhmmss "_" + the first four characters of the session id +
// ".vs4". The session id part keeps letters, digits, '-' and '_' only (others become '_'),
// since it comes from the server and must not name another folder.
std::string BuildRecordFileName(std::string& recordPath, RecordKind kind, std::uint8_t videoFormat,
                                const SystemTime& localTime, const std::string& sessionId);

// Prefix of a record file name ("ALARM_MP4_", "USER_MJPEG_", ...).
const char* RecordFilePrefix(RecordKind kind, std::uint8_t videoFormat);

// A whole record file as read back.
struct Vs4Frame {
  Vs4FrameDescriptor descriptor;
  std::vector<std::uint8_t> bytes;
  std::uint64_t offset = 0;  // of its descriptor
};

struct Vs4File {
  Vs4FileHeader header;
  std::vector<Vs4Frame> frames;
  std::vector<Vs4IndexEntry> index;
  std::uint32_t trailer = 0;
};

enum class Vs4ReadError {
  kNone,
  kTooShort,       // shorter than header and trailer
  kCountMismatch,  // header count and trailer differ, or exceed the file
  kFramePastEnd,   // a descriptor or its bytes run into the index
  kIndexMismatch,  // an index entry does not point at its frame
  kTooManyFrames,  // more than the format allows
};

const char* Vs4ReadErrorName(Vs4ReadError error);

// Reads and checks a whole record file: frames walked from the header, index and trailer at the
// end, every entry's offset matching its frame. Bounded by the bytes given.
std::optional<Vs4File> ReadVs4(std::span<const std::uint8_t> bytes, Vs4ReadError* error = nullptr);

// What makes a record file that reads back still not a good record.
enum class Vs4Fault {
  kNoFrames,             // an empty record (the 80 bytes of a record stopped before any frame)
  kImplausibleInterval,  // a frame's interval beyond kVs4MaxInterval
};

struct Vs4Finding {
  Vs4Fault fault = Vs4Fault::kNoFrames;
  std::uint32_t frame = 0;  // the frame's number in the file (1 for the first); 0 for the file
  std::uint32_t value = 0;  // the interval found
  friend bool operator==(const Vs4Finding&, const Vs4Finding&) = default;
};

// The faults of a record file that reads back, in frame order; none for a good record.
std::vector<Vs4Finding> CheckVs4Record(const Vs4File& file);
// One line naming the fault and the values that make it one.
std::string Vs4FindingText(const Vs4Finding& finding);
