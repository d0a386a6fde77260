#include "media/frame_header.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "app/app_data.h"
#include "app/trace.h"

std::atomic<std::uint32_t> g_bAlarmClear{1};

namespace {

// Little-endian reads over a bounded window; a read past the end leaves the cursor failed.
class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  bool U8(std::uint8_t& out) {
    if (!Has(1))
      return false;
    out = m_bytes[m_pos++];
    return true;
  }
  bool U16(std::uint16_t& out) {
    if (!Has(2))
      return false;
    out = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return true;
  }
  bool U32(std::uint32_t& out) {
    if (!Has(4))
      return false;
    out = static_cast<std::uint32_t>(m_bytes[m_pos]) |
          (static_cast<std::uint32_t>(m_bytes[m_pos + 1]) << 8) |
          (static_cast<std::uint32_t>(m_bytes[m_pos + 2]) << 16) |
          (static_cast<std::uint32_t>(m_bytes[m_pos + 3]) << 24);
    m_pos += 4;
    return true;
  }
  bool Copy(std::span<std::uint8_t> out) {
    if (!Has(out.size()))
      return false;
    for (std::uint8_t& b : out)
      b = m_bytes[m_pos++];
    return true;
  }
  bool Skip(std::size_t count) {
    if (!Has(count))
      return false;
    m_pos += count;
    return true;
  }
  std::size_t Position() const { return m_pos; }

 private:
  bool Has(std::size_t count) const { return count <= m_bytes.size() - m_pos; }
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

// Walks the optional fields the flag word selects, in wire order.
bool ReadOptionalFields(ByteCursor& in, StreamPacketHeader& h) {
  const std::uint16_t f = h.wFlags;
  if ((f & kFlagStatusA) && !in.U16(h.wStatusA))
    return false;
  if ((f & kFlagStatusB) && !in.U16(h.wStatusB))
    return false;
  if ((f & kFlagWord0008) && !in.U16(h.wWord0008))
    return false;
  if ((f & kFlagSequence) && !in.U16(h.wSequence))
    return false;
  if ((f & kFlagWord0020) && !in.U32(h.dwWord0020))
    return false;
  if ((f & kFlagTimeStamp) && !in.U32(h.dwTimeStamp))
    return false;
  if ((f & kFlagBlock0080) && !in.Copy(h.abyBlock0080))
    return false;
  if ((f & kFlagByte0100) && !in.U8(h.byByte0100))
    return false;
  if ((f & kFlagWord0200) && !in.U16(h.wWord0200))
    return false;
  if ((f & kFlagWord0400) && !in.U16(h.wWord0400))
    return false;
  if (f & kFlagBlock2000) {
    if (!in.U8(h.byBlock2000Kept) || !in.U8(h.byBlock2000Length) || !in.U16(h.wBlock2000Kept) ||
        !in.Skip(h.byBlock2000Length)) {
      return false;
    }
  }
  if (f & kFlagBlock4000) {
    if (!in.U8(h.byBlock4000Kept) || !in.U8(h.byBlock4000LengthA) || !in.U16(h.wBlock4000LengthB) ||
        !in.Skip(std::size_t{h.byBlock4000LengthA} + h.wBlock4000LengthB)) {
      return false;
    }
  }
  if (f & kFlagBlock8000) {
    if (!in.U8(h.byBlock8000Length) || !in.Skip(h.byBlock8000Length))
      return false;
  }
  return true;
}

// Reads the whole header from bytes; the position reached is the header length.
bool ReadHeader(std::span<const std::uint8_t> bytes, StreamPacketHeader& h, std::size_t& length) {
  ByteCursor in(bytes);
  std::uint8_t byte4 = 0;
  std::uint8_t byte5 = 0;
  if (!in.U16(h.wMark) || !in.U16(h.wTotalLength) || !in.U8(byte4) || !in.U8(byte5) ||
      !in.U16(h.wFlags)) {
    return false;
  }
  h.byByte4 = byte4;
  h.byByte5Low = byte5 & 0x0F;
  if (!ReadOptionalFields(in, h))
    return false;
  length = in.Position();
  return true;
}

struct HookHolder {
  std::mutex lock;
  std::shared_ptr<const FrameHeaderAlarmHooks> hooks =
      std::make_shared<const FrameHeaderAlarmHooks>(DefaultFrameHeaderAlarmHooks());
};

HookHolder& Hooks() {
  static HookHolder holder;
  return holder;
}

std::shared_ptr<const FrameHeaderAlarmHooks> CurrentHooks() {
  HookHolder& holder = Hooks();
  const std::lock_guard guard(holder.lock);
  return holder.hooks;
}

bool Ask(const std::function<bool()>& question) {
  return question && question();
}
void Do(const std::function<void()>& action) {
  if (action)
    action();
}

}  // namespace

void SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks hooks) {
  HookHolder& holder = Hooks();
  auto next = std::make_shared<const FrameHeaderAlarmHooks>(std::move(hooks));
  const std::lock_guard guard(holder.lock);
  holder.hooks = std::move(next);
}

FrameHeaderAlarmHooks DefaultFrameHeaderAlarmHooks() {
  FrameHeaderAlarmHooks hooks;
  hooks.postAlarmState = [](platform::LParam lParam) {
    if (g_lpApp)
      platform::PostMessage(g_lpApp->m_hWndMainDialog.load(), WM_ALARMSTATE, 0, lParam);
  };
  return hooks;
}

void JulianDayToDate(std::uint32_t julianDay, std::uint16_t* year, std::uint16_t* month,
                     std::uint16_t* day) {
  // 64-bit so that any day number stays defined; within the days a u32 second count reaches
  // the results are those of the 32-bit signed form.
  std::int64_t t = 4 * (static_cast<std::int64_t>(julianDay) - 1721119) - 1;
  const std::int64_t c = t / 146097;
  t = ((t - 146097 * c) / 4) * 4 + 3;
  const std::int64_t y = t / 1461;
  const std::int64_t d = (t % 1461 + 4) / 4;
  const std::int64_t m = (5 * d - 3) / 153;
  *day = static_cast<std::uint16_t>(((5 * d - 3) % 153 + 5) / 5);
  std::int64_t fullYear = 100 * c + y;
  if (m >= 10) {
    *month = static_cast<std::uint16_t>(m - 9);
    ++fullYear;
  } else {
    *month = static_cast<std::uint16_t>(m + 3);
  }
  *year = static_cast<std::uint16_t>(fullYear);
}

void HeaderTimeToSystemTime(const HeaderTime& in, SystemTime* out) {
  constexpr std::uint32_t kDay1900 = 2415021;
  const std::uint32_t s = in.seconds;
  out->wSecond = static_cast<std::uint16_t>(s % 60);
  out->wMinute = static_cast<std::uint16_t>((s / 60) % 60);
  out->wHour = static_cast<std::uint16_t>((s / 3600) % 24);
  out->wDayOfWeek = static_cast<std::uint16_t>((s / 86400 + kDay1900 + 1) % 7);
  JulianDayToDate(s / 86400 + kDay1900, &out->wYear, &out->wMonth, &out->wDay);
  out->wMilliseconds =
      static_cast<std::uint16_t>(static_cast<double>(in.fraction) * 1000.0 / 4294967295.0 + 0.5);
}

bool FindFrameStart(std::span<const std::uint8_t> buffer, std::uint32_t* position) {
  constexpr std::size_t kWindow = 50;
  const std::size_t n = buffer.size();
  for (std::size_t p = 0; p + 1 < n; ++p) {
    if (buffer[p] != 1 || buffer[p + 1] != 0)
      continue;
    for (std::size_t q = p; q < p + kWindow && q + 4 <= n; ++q) {
      if (buffer[q] != 0 || buffer[q + 1] != 0 || buffer[q + 3] != 1)
        continue;
      switch (buffer[q + 2]) {
        case 0xD0:
        case 0xD1:
        case 0xE0:
        case 0xE1:
        case 0xC0:
        case 0xC1:
          *position = static_cast<std::uint32_t>(p);
          return true;
        default:
          break;
      }
    }
  }
  return false;
}

int CFrameHeader::Parse(std::span<const std::uint8_t> packet, AlarmEdges* edges) {
  m_wHeaderLength = 0;
  if (packet.size() < 2 || packet[0] != 1 || packet[1] != 0) {
    m_lastError = ParseError::kBadMark;
    return 0;
  }
  if (packet.size() < 4) {
    m_lastError = ParseError::kTruncated;
    return 0;
  }
  const std::size_t total = static_cast<std::size_t>(packet[2] | (packet[3] << 8));
  if (total < kFixedHeaderBytes) {
    m_lastError = ParseError::kBadLength;
    return 0;
  }
  // The header may use neither bytes that were not given nor bytes past its own packet.
  StreamPacketHeader next{};
  std::size_t length = 0;
  if (!ReadHeader(packet.first(std::min(packet.size(), total)), next, length)) {
    m_lastError = packet.size() < total ? ParseError::kTruncated : ParseError::kBadLength;
    return 0;
  }

  m_raw = next;
  m_lastError = ParseError::kNone;
  m_byGopNumber = static_cast<std::uint8_t>(next.byByte4 >> 4);
  m_byCode = static_cast<std::uint8_t>(next.byByte4 & 0x0F);
  const bool statusA = (next.wFlags & kFlagStatusA) != 0;
  const bool statusB = (next.wFlags & kFlagStatusB) != 0;
  m_wLastStatusA = next.wStatusA;
  m_wLastStatusB = next.wStatusB;
  m_bStatusAPresent = statusA ? 1 : 0;
  m_bStatusBPresent = statusB ? 1 : 0;
  m_bTimePresent = (next.wFlags & kFlagTimeStamp) ? 1 : 0;
  if (m_bTimePresent.load() != 0 && m_bConvertTime.load()) {
    SystemTime time;
    HeaderTimeToSystemTime(HeaderTime{0, next.dwTimeStamp}, &time);
    const std::lock_guard lock(m_timeLock);
    m_PacketTime = time;
  }
  m_wHeaderLength = static_cast<std::uint16_t>(length);

  const bool alarm = statusA || statusB;
  AlarmEdges found;
  ShowAlarm(alarm, found);
  RecordAlarm(alarm, found);
  if (edges != nullptr)
    *edges = found;
  return 1;
}

std::string CFrameHeader::HuText() const {
  const std::lock_guard lock(m_huLock);
  return std::string(m_szHuText.data());
}

void CFrameHeader::SetHuText(std::string_view text) {
  text = text.substr(0, std::min(text.find('\0'), kHuTextBytes - 1));
  const std::lock_guard lock(m_huLock);
  m_szHuText.fill('\0');
  std::copy(text.begin(), text.end(), m_szHuText.begin());
}

void CFrameHeader::ShowAlarm(bool alarm, AlarmEdges& edges) {
  // Only the edge counts; the exchange keeps the two receiver threads from taking one edge twice.
  if (alarm && g_bAlarmClear.load() != 0) {
    edges.shown = g_bAlarmClear.exchange(0) != 0;
  } else if (!alarm && g_bAlarmClear.load() == 0) {
    edges.cleared = g_bAlarmClear.exchange(1) == 0;
  }
}

void CFrameHeader::RecordAlarm(bool alarm, AlarmEdges& edges) {
  if (m_bRecordOnAlarm.load() == 0)
    return;
  if (alarm && m_bAlarmRecordStarted.load() == 0) {
    m_bAlarmRecordStarted = 1;
    edges.startRecord = true;
  } else if (!alarm && m_bAlarmRecordStarted.load() == 1) {
    m_bAlarmRecordStarted = 0;
    edges.stopRecord = true;
  }
}

void ActOnAlarmEdges(const AlarmEdges& edges) {
  if (!edges.Any())
    return;
  const auto hooks = CurrentHooks();
  if (edges.shown && hooks->postAlarmState)
    hooks->postAlarmState(kAlarmStateOn);
  if (edges.cleared && hooks->postAlarmState)
    hooks->postAlarmState(kAlarmStateOff);
  if (edges.startRecord && !Ask(hooks->alarmRecorderRecording)) {
    DebugPrint("RTP Header: Start AlarmRecord\n");
    Do(hooks->startAlarmRecord);
  }
  // A record opened by a start may not have reached its recording loop yet; it is stopped as
  // well, or a short alarm would leave it running.
  if (edges.stopRecord && (Ask(hooks->alarmRecorderRecording) || Ask(hooks->alarmRecorderActive))) {
    DebugPrint("RTP Header: End AlarmRecord\n");
    Do(hooks->stopAlarmRecord);
  }
}

int CFrameHeader::UpdateChannelState() {
  if (m_bStatusBPresent.load() == 0)
    m_dwStateB = 15;
  if (m_bStatusAPresent.load() == 0)
    m_dwStateA = 15;
  return 1;
}

namespace {

bool AdvanceState(bool present, std::uint16_t v, std::atomic<std::uint32_t>& state) {
  const std::uint32_t s = state.load();
  if (!present) {
    if (s == 15) {
      state = 0;
      return true;
    }
    return false;
  }
  switch (s) {
    case 0:
      if (v & 1) {
        state = 1;
      } else if (v & 2) {
        state = 2;
      }
      return true;
    case 1:
      if (v & 1)
        return false;
      if (v & 2) {
        state = 2;
        return true;
      }
      return false;
    case 2:
      if (v & 1) {
        state = 1;
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace

bool CFrameHeader::DecodeChannelState() {
  return AdvanceState(m_bStatusBPresent.load() != 0, m_wLastStatusB.load(), m_dwStateB);
}

bool CFrameHeader::DecodeChannelState2() {
  return AdvanceState(m_bStatusAPresent.load() != 0, m_wLastStatusA.load(), m_dwStateA);
}

int CreateFrameHeader(std::unique_ptr<CFrameHeader>& slot, std::uint32_t owner) {
  if (!slot) {
    slot = std::make_unique<CFrameHeader>();
    slot->m_dwOwner = owner;
  }
  return 1;
}

int DeleteFrameHeader(std::unique_ptr<CFrameHeader>& slot) {
  slot.reset();
  return 1;
}
