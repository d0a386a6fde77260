#include "media/record/recorder.h"

#include <chrono>

#include "app/trace.h"
#include "platform/clock.h"
#include "platform/message_box.h"

namespace {

constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

SystemTime ToSystemTime(const platform::LocalTime& t) {
  return {static_cast<std::uint16_t>(t.year),
          static_cast<std::uint16_t>(t.month),
          0,
          static_cast<std::uint16_t>(t.day),
          static_cast<std::uint16_t>(t.hour),
          static_cast<std::uint16_t>(t.minute),
          static_cast<std::uint16_t>(t.second),
          0};
}

const char* ThreadName(RecordKind kind) {
  switch (kind) {
    case RecordKind::kAlarm:
      return "Alarm_Record_Thread";
    case RecordKind::kUser:
      return "User_Record_Thread";
    case RecordKind::kSchedule:
      return "Schedule_Record_Thread";
  }
  return "Record_Thread";
}

std::size_t Prev(std::size_t slot) {
  return slot == 0 ? kRecordSlots - 1 : slot - 1;
}
std::size_t Next(std::size_t slot) {
  return slot + 1 == kRecordSlots ? 0 : slot + 1;
}

}  // namespace

RecorderEnvironment RecorderEnvironment::Defaults() {
  RecorderEnvironment env;
  env.tickCount = [] { return platform::TickCount(); };
  env.localTime = [] { return ToSystemTime(platform::GetLocalTime()); };
  env.nowSeconds = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
  env.sessionId = [] { return std::string(); };
  env.serverAddress = [] { return std::string(); };
  env.avOption = [] { return std::uint8_t{3}; };
  env.freeDiskBytes = FreeDiskBytes;
  env.showMessage = [](std::string_view text) { platform::ShowMessageBox(text); };
  return env;
}

bool CheckDiskFreeSpace(const std::string& path, const RecorderEnvironment& env) {
  const std::uint64_t freeBytes = env.freeDiskBytes ? env.freeDiskBytes(path) : FreeDiskBytes(path);
  return (freeBytes >> 20) > (kMinFreeRecordBytes >> 20);
}

CRecorder::CRecorder(RecordKind kind, RecorderEnvironment env)
    : m_kind(kind), m_env(std::move(env)) {}

CRecorder::~CRecorder() {
  ExitThread(5000);
}

bool CRecorder::CreateThread(std::uint8_t videoFormat) {
  if ((videoFormat != 0 && videoFormat != 4) || m_env.ring == nullptr) {
    return false;
  }
  m_byVideoFormat = videoFormat;
  const std::lock_guard lock(m_threadLock);
  return m_Thread.Start(ThreadName(m_kind),
                        [this](platform::StopToken stop) { return ThreadBody(stop); });
}

bool CRecorder::ExitThread(std::uint32_t timeoutMs) {
  if (!m_Thread.IsStarted()) {
    return true;
  }
  const bool ended = m_Thread.StopAndJoin(timeoutMs);
  if (!ended) {
    const std::lock_guard lock(m_threadLock);
    m_bThreadGivenUp = true;
  }
  DebugPrint("ExitLoginResource: %s 0x%x is exit with code %u\n", m_Thread.Name().c_str(), 0u,
             ended ? 0u : 31u);
  return ended;
}

bool CRecorder::OpenFile(std::string& recordPath, std::uint8_t videoFormat) {
  if (m_bFileOpen.load()) {
    DebugPrint("OpenRecordFile: the previous record is still open\n");
    return false;
  }
  const std::string name =
      BuildRecordFileName(recordPath, m_kind, videoFormat, m_env.localTime(), m_env.sessionId());
  std::string used;
  auto sink = CreateUniqueRecordFile(name, &used);
  if (!sink) {
    DebugPrint("OpenRecordFile: %s cannot be created\n", name.c_str());
    return false;
  }
  m_strRecordPath = recordPath;
  m_byVideoFormat = videoFormat;
  m_strFileName = used;
  m_Writer.Start(std::move(sink));
  m_lastStatus = Vs4Status::kOk;
  m_bHeaderPending = true;
  m_bFileOpen = true;
  return true;
}

bool CRecorder::StopRecord() {
  if (!m_bFileOpen.load()) {
    return true;
  }
  {
    // Between sessions (the streams rebuilt for a re-login) no thread would see the stop until
    // the next session, and would then end the record with none of its frames: the file is
    // finished here, with what it holds, and nothing is left to start or stop.
    const std::lock_guard lock(m_threadLock);
    if (!m_Thread.IsRunning() && !m_bThreadGivenUp) {
      m_StartEvent.Reset();
      m_InterruptEvent.Reset();
      if (m_bFileOpen.load()) {
        Finish();
      }
      return true;
    }
  }
  m_StopDoneEvent.Reset();
  m_InterruptEvent.Set();
  if (m_StopDoneEvent.Wait(kStopRecordWaitMs)) {
    return true;
  }
  return !m_bFileOpen.load();
}

void CRecorder::TakeStoredFrame(const CSystemBuffer& ring) {
  {
    std::lock_guard lock(m_headerMutex);
    if (m_Header.byResolution == kVs4ResolutionPending) {
      const std::size_t newest = ring.NewestSlot();
      const Vs4FrameDescriptor& d = ring.Descriptor(newest);
      m_Header = Vs4FileHeader{};
      m_Header.byAvOption = m_env.avOption ? m_env.avOption() : 0;
      m_Header.abyServerAddress =
          ServerAddressBytes(m_env.serverAddress ? m_env.serverAddress() : std::string());
      m_Header.byResolution = d.byResolution;
      m_Header.FirstFrameTime = d.StoreTime;
      m_Header.dwFormatTag = d.dwFormatTag;
    }
  }
  m_StartSem.Release();
}

bool CRecorder::WaitForStart(const platform::StopToken& stop) {
  platform::Waitable* ends = m_env.endOfStreams;
  const std::uint32_t got =
      ends != nullptr
          ? platform::WaitAny({&m_StartEvent, ends, &stop.StopEvent()}, platform::kInfinite)
          : platform::WaitAny({&m_StartEvent, &stop.StopEvent()}, platform::kInfinite);
  return got == 0;
}

RecorderState CRecorder::StartState() {
  return RecorderState::kPreRecord;
}

void CRecorder::OnFrameLimit() {
  m_InterruptEvent.Set();
}

void CRecorder::WriteSlot(std::size_t slot, bool first) {
  const CSystemBuffer& ring = *m_env.ring;
  const Vs4Status status =
      m_Writer.WriteFrame(ring.Descriptor(slot), ring.Frame(slot), ring.Kind(slot), first);
  if (status == Vs4Status::kWriteFailed) {
    m_lastStatus = status;
    m_state = RecorderState::kStop;
  }
}

void CRecorder::PreRecord() {
  const CSystemBuffer& ring = *m_env.ring;
  const std::uint32_t wanted = m_byVideoFormat == 4 ? kFrameKindMpeg4Key : kFrameKindJpeg;
  const std::size_t newest = ring.NewestSlot();
  std::size_t start = kNoSlot;
  bool markFirst = true;
  if (m_kind == RecordKind::kAlarm) {
    const auto* alarm = static_cast<const CAlarmRecord*>(this);
    const bool wrapped = alarm->FillCount() > kRecordSlots;
    markFirst = wrapped;
    // Before the ring has wrapped, slots 0 .. newest; after, from the oldest forward.
    std::size_t slot = wrapped ? ring.NextSlot() : 0;
    const std::size_t count = wrapped ? kRecordSlots : newest + 1;
    for (std::size_t i = 0; i < count; ++i, slot = Next(slot)) {
      if (ring.Kind(slot) == wanted && ring.Descriptor(slot).dwLength > 0) {
        start = slot;
        break;
      }
    }
  } else {
    // Backward from the newest frame: the latest frame the player can start at.
    std::size_t slot = newest;
    for (std::size_t i = 0; i < kRecordSlots; ++i, slot = Prev(slot)) {
      if (ring.Kind(slot) == wanted && ring.Descriptor(slot).dwLength > 0) {
        start = slot;
        break;
      }
    }
  }
  if (start == kNoSlot) {
    return;
  }
  // Up to and including the newest frame, so that the key frame found is never left out.
  for (std::size_t slot = start, first = 1;; slot = Next(slot), first = 0) {
    WriteSlot(slot, first != 0 && markFirst);
    if (slot == newest || m_state.load() == RecorderState::kStop) {
      break;
    }
  }
}

void CRecorder::Finish() {
  Vs4FileHeader header;
  {
    std::lock_guard lock(m_headerMutex);
    header = m_Header;
  }
  header.byRecordKind = static_cast<std::uint8_t>(m_kind);
  const Vs4Status status = m_Writer.Finish(header, m_env.tickCount() / 1000);
  if (status != Vs4Status::kOk && m_lastStatus.load() == Vs4Status::kOk) {
    m_lastStatus = status;
  }
  if (m_Writer.FramesKept() == 0) {
    RemoveEmptyFile();
  }
  m_filesFinished.fetch_add(1);
  AfterFinish();
  {
    std::lock_guard lock(m_headerMutex);
    m_Header.byResolution = kVs4ResolutionPending;
  }
  m_bRecording = 0;
  m_state = RecorderState::kIdle;
  m_bFileOpen = false;
  m_StopDoneEvent.Set();
  AfterClose();
}

// A record that ends before its first frame (stopped at once, no key frame in the ring yet, a
// disk that took none) is no recording: an empty file that reads back would pass for one.
void CRecorder::RemoveEmptyFile() {
  int error = 0;
  if (RemoveRecordFile(m_strFileName, &error)) {
    DebugPrint("%s: %s holds no frame and is removed\n", ThreadName(m_kind), m_strFileName.c_str());
  } else {
    DebugPrint("%s: %s holds no frame and cannot be removed (errno %d)\n", ThreadName(m_kind),
               m_strFileName.c_str(), error);
  }
}

std::uint32_t CRecorder::ThreadBody(const platform::StopToken& stop) {
  for (;;) {
    if (!WaitForStart(stop)) {
      return 0;
    }
    if (!m_bFileOpen.load()) {
      continue;  // nothing to record into
    }
    m_state = StartState();
    for (bool finished = false; !finished;) {
      m_bRecording = 1;
      platform::Waitable* ends = m_env.endOfStreams;
      const std::uint32_t got =
          ends != nullptr
              ? platform::WaitAny({&m_InterruptEvent, &stop.StopEvent(), &m_StartSem, ends},
                                  platform::kInfinite)
              : platform::WaitAny({&m_InterruptEvent, &stop.StopEvent(), &m_StartSem},
                                  platform::kInfinite);
      bool gotFrame = got == 2;
      bool stopAfterPass = false;
      if (got == 0 || got == 1 || got == 3) {
        // A frame already handed over is written before the record stops, so no frame that
        // was stored while recording is lost.
        gotFrame = m_StartSem.Wait(0);
        if (m_kind == RecordKind::kUser && got == 3) {
          // The streams ended: the file stays open for the session after the re-login.
          if (gotFrame && m_state.load() == RecorderState::kRecording && !m_bHeaderPending) {
            WriteSlot(m_env.ring->NewestSlot(), false);
          }
          m_bRecording = 0;
          m_FreeSem.Release();
          break;
        }
        stopAfterPass = true;
        if (!gotFrame) {
          m_state = RecorderState::kStop;
        }
      } else if (!gotFrame) {
        return 0;
      }
      if (m_state.load() != RecorderState::kStop && !CheckDiskFreeSpace(m_strRecordPath, m_env)) {
        if (m_env.showMessage) {
          m_env.showMessage(kDiskFullText);
        }
        m_state = RecorderState::kStop;
      }
      if (m_state.load() != RecorderState::kStop && m_env.avOption && m_env.avOption() == 2) {
        m_state = RecorderState::kRecording;
      }
      if (m_state.load() != RecorderState::kStop && WindowPassed()) {
        m_state = RecorderState::kStop;
      }
      if (m_state.load() != RecorderState::kStop && m_bHeaderPending) {
        Vs4FileHeader header;
        {
          std::lock_guard lock(m_headerMutex);
          m_Header.byRecordKind = static_cast<std::uint8_t>(m_kind);
          m_Header.dwStartSecond = m_Header.dwEndSecond = m_env.tickCount() / 1000;
          header = m_Header;
        }
        if (m_Writer.WriteHeader(header) != Vs4Status::kOk) {
          m_lastStatus = Vs4Status::kWriteFailed;
          m_state = RecorderState::kStop;
        }
        m_bHeaderPending = false;
      }
      switch (m_state.load()) {
        case RecorderState::kPreRecord:
          PreRecord();
          if (m_state.load() == RecorderState::kPreRecord) {
            m_state = RecorderState::kRecording;
          }
          break;
        case RecorderState::kRecording:
          if (gotFrame) {
            WriteSlot(m_env.ring->NewestSlot(), false);
          }
          break;
        default:
          break;
      }
      if (stopAfterPass) {
        m_state = RecorderState::kStop;
      }
      if (m_state.load() == RecorderState::kRecording && m_Writer.FrameCount() >= kVs4MaxFrames) {
        OnFrameLimit();
      }
      if (m_state.load() == RecorderState::kStop) {
        Finish();
        finished = true;
      }
      m_FreeSem.Release();
    }
    if (m_bContinue) {
      m_bContinue = false;
      auto* user = static_cast<CUserRecord*>(this);
      std::string path = m_strRecordPath;
      user->OpenRecordFile(path, m_byVideoFormat);
    }
  }
}

bool CAlarmRecord::OpenRecordFile(std::string& path, std::uint8_t videoFormat) {
  if (!CheckDiskFreeSpace(path, m_env)) {
    if (m_env.showMessage) {
      m_env.showMessage(kDiskFullText);
    }
    return false;
  }
  if (!OpenFile(path, videoFormat)) {
    return false;
  }
  m_StartEvent.Set();
  return true;
}

void CAlarmRecord::CountStoredFrame() {
  if (m_wFillCount.load() < kRecordSlots + 1) {
    m_wFillCount.fetch_add(1);
  }
}

void CAlarmRecord::AfterFinish() {
  if (m_env.onAlarmRecordFinished) {
    m_env.onAlarmRecordFinished(m_Writer.FramesKept());
  }
}

bool CUserRecord::OpenRecordFile(std::string& path, std::uint8_t videoFormat) {
  if (!OpenFile(path, videoFormat)) {
    return false;
  }
  m_StartEvent.Set();
  return true;
}

bool CUserRecord::Interrupt() {
  if (!m_bFileOpen.load()) {
    return false;
  }
  m_state = RecorderState::kRecording;
  m_StartEvent.Set();
  return true;
}

RecorderState CUserRecord::StartState() {
  if (m_byVideoFormat == 0 || m_state.load() == RecorderState::kRecording) {
    return RecorderState::kRecording;
  }
  return RecorderState::kPreRecord;
}

void CUserRecord::OnFrameLimit() {
  DebugPrint("Continue Record!!\n");
  m_bContinue = true;
  m_InterruptEvent.Set();
}

void CUserRecord::AfterFinish() {}

void CUserRecord::AfterClose() {
  if (!m_bContinue && m_env.onUserRecordClosed) {
    m_env.onUserRecordClosed();
  }
}

void CSchRecord::SetSchedule(const std::array<ScheduleEntry, 10>& entries, std::string recordPath) {
  std::lock_guard lock(m_scheduleMutex);
  m_entries = entries;
  m_strScheduleRecordPath = std::move(recordPath);
}

bool CSchRecord::WaitForStart(const platform::StopToken& stop) {
  for (;;) {
    platform::Waitable* ends = m_env.endOfStreams;
    const std::uint32_t got = ends != nullptr ? platform::WaitAny({ends, &stop.StopEvent()}, 1000)
                                              : platform::WaitAny({&stop.StopEvent()}, 1000);
    if (got != platform::kWaitTimeout) {
      return false;
    }
    const std::int64_t now = m_env.nowSeconds();
    std::string path;
    std::int64_t end = 0;
    {
      std::lock_guard lock(m_scheduleMutex);
      for (const ScheduleEntry& entry : m_entries) {
        if (entry.used && entry.start <= now && now <= entry.end) {
          end = entry.end;
          path = m_strScheduleRecordPath;
          break;
        }
      }
    }
    if (path.empty()) {
      continue;
    }
    if (!OpenFile(path, m_byVideoFormat)) {
      if (m_env.showMessage) {
        m_env.showMessage(kScheduleCreateFailedText);
      }
      return false;
    }
    m_windowEnd = end;
    m_bRecording = 1;
    return true;
  }
}

bool CSchRecord::WindowPassed() {
  return m_env.nowSeconds() > m_windowEnd;
}
