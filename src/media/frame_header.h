// The media packet header: the small little-endian header at the start of every stream packet
// (TCP segment or UDP datagram, video or audio). CFrameHeader parses it for the receivers,
// keeps what the last packet said and turns the two status words into alarm state; it returns
// the edges of an alarm, on which the caller posts to the main window and starts and stops the
// alarm recorder (ActOnAlarmEdges).
//
// Wire layout: u16 mark (always 1), u16 total length (header and payload), byte 4 (GOP number
// in the high nibble, a code in the low nibble), byte 5 (low nibble kept), u16 flag word, then
// the optional fields the flag word selects, in the fixed order of kOptionalFields.
//
// Parsing is bounded: the header must lie within both the bytes given and the packet's own
// total length. A header that does not is refused (ParseError says why) and every field stays
// as the previous packet left it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "media/system_time.h"
#include "platform/window_message.h"

// Posted to the main window when an alarm starts (lParam 0) or ends (lParam 2).
inline constexpr std::uint32_t WM_ALARMSTATE = platform::WM_USER + 0x02;  // 0x402
inline constexpr platform::LParam kAlarmStateOn = 0;
inline constexpr platform::LParam kAlarmStateOff = 2;

inline constexpr std::uint16_t kPacketMark = 1;
inline constexpr std::size_t kFixedHeaderBytes = 8;
// Room for the "HU" text with its terminating NUL.
inline constexpr std::size_t kHuTextBytes = 32;

// Flag-word bits and the optional fields they select.
enum HeaderFlag : std::uint16_t {
  kFlagStatusA = 0x0002,
  kFlagStatusB = 0x0004,
  kFlagWord0008 = 0x0008,
  kFlagSequence = 0x0010,
  kFlagWord0020 = 0x0020,
  kFlagTimeStamp = 0x0040,
  kFlagBlock0080 = 0x0080,
  kFlagByte0100 = 0x0100,
  kFlagWord0200 = 0x0200,
  kFlagWord0400 = 0x0400,
  kFlagBlock2000 = 0x2000,  // u8 kept, u8 n, u16 kept, n bytes
  kFlagBlock4000 = 0x4000,  // u8 kept, u8 a, u16 b, a + b bytes
  kFlagBlock8000 = 0x8000,  // u8 n, n bytes
};

// The fixed part and the optional fields of the last packet, as they came.
struct StreamPacketHeader {
  std::uint16_t wMark = 0;
  std::uint16_t wTotalLength = 0;
  std::uint8_t byByte5Low = 0;
  std::uint8_t byByte4 = 0;
  std::uint16_t wFlags = 0;
  std::uint16_t wStatusA = 0;
  std::uint16_t wStatusB = 0;
  std::uint16_t wWord0008 = 0;
  std::uint16_t wSequence = 0;
  std::uint32_t dwWord0020 = 0;
  std::uint32_t dwTimeStamp = 0;
  std::array<std::uint8_t, 16> abyBlock0080{};
  std::uint8_t byByte0100 = 0;
  std::uint16_t wWord0200 = 0;
  std::uint16_t wWord0400 = 0;
  std::uint8_t byBlock2000Kept = 0;
  std::uint8_t byBlock2000Length = 0;
  std::uint16_t wBlock2000Kept = 0;
  std::uint8_t byBlock4000Kept = 0;
  std::uint8_t byBlock4000LengthA = 0;
  std::uint16_t wBlock4000LengthB = 0;
  std::uint8_t byBlock8000Length = 0;
};

enum class ParseError {
  kNone,
  kBadMark,    // the first u16 is not 1 (or fewer than two bytes were given)
  kTruncated,  // the header runs past the bytes given (a TCP reader may wait for more)
  kBadLength,  // the header runs past the packet's own total length
};

// A time stamp of the header form: a fraction of a second in units of 1/4,294,967,295 s and
// whole seconds since 1900-01-01 00:00:00.
struct HeaderTime {
  std::uint32_t fraction = 0;
  std::uint32_t seconds = 0;
};

// Gregorian date of a Julian day number (Fliegel and Van Flandern).
void JulianDayToDate(std::uint32_t julianDay, std::uint16_t* year, std::uint16_t* month,
                     std::uint16_t* day);
void HeaderTimeToSystemTime(const HeaderTime& in, SystemTime* out);

// Looks in raw wire bytes (payload 16-bit units still byte-swapped) for a place where a packet
// starts: a u16 mark of 1 followed within 50 bytes by 00 00 X 01, X one of the elementary
// stream ids D0, D1, E0, E1, C0, C1. Every read stays inside the buffer.
bool FindFrameStart(std::span<const std::uint8_t> buffer, std::uint32_t* position);

// What one parsed header changed in the alarm state. Parse only records the edges (keeping the
// display flag and the header's recorder flag up to date); the caller acts on them.
struct AlarmEdges {
  bool shown = false;        // an alarm is now shown: WM_ALARMSTATE with lParam 0
  bool cleared = false;      // the shown alarm ended: WM_ALARMSTATE with lParam 2
  bool startRecord = false;  // this header's alarm began: start the alarm recorder
  bool stopRecord = false;   // this header's alarm ended: stop the alarm recorder
  bool Any() const { return shown || cleared || startRecord || stopRecord; }
};

// What is done on the edges of an alarm. Installed once by the program (the main window's
// handle and the alarm recorder); tests install recording stand-ins. Every operation must
// return at once: the edges are acted on by the receiver threads.
struct FrameHeaderAlarmHooks {
  // Posts WM_ALARMSTATE with the given lParam to the main window.
  std::function<void(platform::LParam)> postAlarmState;
  // True while the alarm recorder records (a start is then not repeated).
  std::function<bool()> alarmRecorderRecording;
  // True while the alarm recorder records or still has a file open from a start that has not
  // yet reached its recording loop (a stop must reach that file too).
  std::function<bool()> alarmRecorderActive;
  // Starts the alarm recorder with the settings' record path and the stream's video format.
  std::function<void()> startAlarmRecord;
  // Asks the alarm recorder to stop, without waiting for it.
  std::function<void()> stopAlarmRecord;
};

// The hooks ActOnAlarmEdges uses from now on. Missing operations do nothing (and report false).
void SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks hooks);
// Posts to CAppData's main window; no alarm recorder.
FrameHeaderAlarmHooks DefaultFrameHeaderAlarmHooks();

// Acts on the edges of one header through the installed hooks: posts the alarm state; starts
// the alarm recorder unless it records already ("RTP Header: Start AlarmRecord"); stops it when
// it records or still has a file open from a start ("RTP Header: End AlarmRecord").
void ActOnAlarmEdges(const AlarmEdges& edges);

// 1 while no alarm is being shown; shared by both headers and never reset by a lost
// connection, so the display follows the status words of the next packet.
extern std::atomic<std::uint32_t> g_bAlarmClear;

class CFrameHeader {
 public:
  CFrameHeader() = default;
  CFrameHeader(const CFrameHeader&) = delete;
  CFrameHeader& operator=(const CFrameHeader&) = delete;

  // Parses the header at the start of packet. 1 on success; 0 when the mark is wrong or the
  // header does not fit (LastError says which); then only the header length (0) has changed.
  // On success the alarm edges of this packet go to *edges (when given), for the caller to act
  // on; the display flag g_bAlarmClear and m_bAlarmRecordStarted already follow them.
  int Parse(std::span<const std::uint8_t> packet, AlarmEdges* edges = nullptr);

  // For each status word absent from the last packet, sets its state to 15. Returns 1.
  int UpdateChannelState();
  // Advance state B (status word B) and state A (status word A); true when the state to show
  // changed.
  bool DecodeChannelState();
  bool DecodeChannelState2();

  // Last packet, read by the receiver thread that parses.
  ParseError LastError() const { return m_lastError; }
  std::uint16_t HeaderLength() const { return m_wHeaderLength; }
  std::uint16_t TotalLength() const { return m_raw.wTotalLength; }
  std::uint16_t Flags() const { return m_raw.wFlags; }
  bool HasSequence() const { return (m_raw.wFlags & kFlagSequence) != 0; }
  std::uint16_t SequenceNumber() const { return m_raw.wSequence; }
  std::uint8_t GopNumber() const { return m_byGopNumber; }
  std::uint8_t Code() const { return m_byCode; }
  const StreamPacketHeader& Raw() const { return m_raw; }
  // The time stamp of the last packet that carried one; the window threads read it too.
  bool TimePresent() const { return m_bTimePresent.load() != 0; }
  SystemTime PacketTime() const {
    const std::lock_guard lock(m_timeLock);
    return m_PacketTime;
  }

  // Alarm and display state, shared with the window threads.
  std::uint32_t StateA() const { return m_dwStateA.load(); }
  std::uint32_t StateB() const { return m_dwStateB.load(); }
  void SetStateA(std::uint32_t state) { m_dwStateA = state; }
  void SetStateB(std::uint32_t state) { m_dwStateB = state; }
  bool StatusAPresent() const { return m_bStatusAPresent.load() != 0; }
  bool StatusBPresent() const { return m_bStatusBPresent.load() != 0; }

  // The online-user count and the "HU" text that the main window shows from the header. No
  // field of the packet header carries them, so Parse leaves them alone: 0 and empty unless
  // set. The text is kept zero-terminated, at most kHuTextBytes - 1 bytes up to its first NUL.
  std::uint8_t OnlineUserCount() const { return m_byOnlineUserCount.load(); }
  void SetOnlineUserCount(std::uint8_t count) { m_byOnlineUserCount = count; }
  std::string HuText() const;
  void SetHuText(std::string_view text);

  std::atomic<std::uint32_t> m_bRecordOnAlarm{1};
  std::atomic<std::uint32_t> m_bAlarmRecordStarted{0};
  std::atomic<std::uint32_t> m_bConvertTime{1};

  // The value CreateFrameHeader stores; nothing reads it otherwise.
  std::uint32_t Owner() const { return m_dwOwner; }

 private:
  friend int CreateFrameHeader(std::unique_ptr<CFrameHeader>& slot, std::uint32_t owner);

  static void ShowAlarm(bool alarm, AlarmEdges& edges);
  void RecordAlarm(bool alarm, AlarmEdges& edges);

  std::uint32_t m_dwOwner = 0;
  std::uint8_t m_byGopNumber = 0;
  std::uint8_t m_byCode = 0;
  std::uint16_t m_wHeaderLength = 0;
  std::atomic<std::uint32_t> m_bStatusBPresent{0};
  std::atomic<std::uint32_t> m_dwStateB{0};
  std::atomic<std::uint32_t> m_bStatusAPresent{0};
  std::atomic<std::uint32_t> m_dwStateA{0};
  std::atomic<std::uint16_t> m_wLastStatusA{0};
  std::atomic<std::uint16_t> m_wLastStatusB{0};
  std::atomic<std::uint32_t> m_bTimePresent{0};
  mutable std::mutex m_timeLock;
  SystemTime m_PacketTime{};
  std::atomic<std::uint8_t> m_byOnlineUserCount{0};
  mutable std::mutex m_huLock;
  std::array<char, kHuTextBytes> m_szHuText{};
  StreamPacketHeader m_raw{};
  ParseError m_lastError = ParseError::kNone;
};

// A header of its own on the heap (the two of the application data block are members): when
// the slot holds none, creates one and stores `owner` in it; a slot that holds a header keeps
// it. Returns 1.
int CreateFrameHeader(std::unique_ptr<CFrameHeader>& slot, std::uint32_t owner);
// Frees the slot's header, if any, and empties the slot. Returns 1.
int DeleteFrameHeader(std::unique_ptr<CFrameHeader>& slot);
