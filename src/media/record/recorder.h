// The three recorders (alarm, user, schedule). Each owns one worker thread that copies frames
// out of the pre-record ring in lock-step with the compose thread (FreeSem / StartSem), writes
// them into a .vs4 file through CVs4Writer and finishes the file on a stop, at the frame limit,
// on a full disk, at the end of a schedule window or (alarm, schedule) at the end of the
// streams.
//
// Sound behaviour: a failed write finishes the record with a status (the file stays valid); a
// stop that does not complete in time reports false; a new record never opens while a file is
// still open; two records started within one second get distinct files; a record that ends
// with no frame leaves no file (an empty file would read back as a record).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "media/record/vs4_format.h"
#include "media/record/vs4_writer.h"
#include "media/record_buffer.h"
#include "platform/sync.h"
#include "platform/thread.h"

inline constexpr std::uint64_t kMinFreeRecordBytes = 100ull << 20;
inline constexpr std::uint32_t kStopRecordWaitMs = 500;
inline constexpr const char* kDiskFullText = "The size of disk is not enough for record data";
inline constexpr const char* kScheduleCreateFailedText = "Create schedule record file is failed";

// What the recorders take from the rest of the program. Defaults use the real clock, disk and
// message box; tests replace them.
struct RecorderEnvironment {
  CSystemBuffer* ring = nullptr;
  platform::Event* endOfStreams = nullptr;  // set when the session's streams end
  std::function<std::uint32_t()> tickCount;
  std::function<SystemTime()> localTime;
  std::function<std::int64_t()> nowSeconds;  // for the schedule windows
  std::function<std::string()> sessionId;
  std::function<std::string()> serverAddress;
  std::function<std::uint8_t()> avOption;
  std::function<std::uint64_t(const std::string&)> freeDiskBytes;
  std::function<void(std::string_view)> showMessage;
  // User recorder: its record file is closed (a stop, a full disk, a failed write, shut-down),
  // told once the file is closed, for the RECORD button; not when the record goes on in a new
  // file at the frame limit.
  std::function<void()> onUserRecordClosed;
  // Alarm recorder: a finished record (frames kept), for the alarm database and the headers.
  // With 0 frames the record's file was removed.
  std::function<void(std::uint32_t frames)> onAlarmRecordFinished;

  static RecorderEnvironment Defaults();
};

// More than 100 MB free on the volume of path.
bool CheckDiskFreeSpace(const std::string& path, const RecorderEnvironment& env);

enum class RecorderState : std::uint8_t { kIdle = 0, kPreRecord = 1, kRecording = 2, kStop = 3 };

class CRecorder : public IRecordBufferReader {
 public:
  CRecorder(RecordKind kind, RecorderEnvironment env);
  ~CRecorder() override;
  CRecorder(const CRecorder&) = delete;
  CRecorder& operator=(const CRecorder&) = delete;

  // Starts the thread for video format 4 (MPEG-4) or 0 (JPEG); false for other formats and
  // before the environment names the pre-record ring.
  bool CreateThread(std::uint8_t videoFormat);
  // Asks the thread to stop and waits up to timeoutMs; false when it did not end in time.
  bool ExitThread(std::uint32_t timeoutMs = 1000);

  // Finishes the open record: true once the file is closed, false when it did not close
  // within 500 ms. True at once when no file is open. Without a running thread (between two
  // sessions) the file is finished on the caller's thread.
  bool StopRecord();
  // Asks the recorder to finish its open record and returns at once: for callers on a stream
  // thread, which must not wait for the disk.
  void RequestStop() {
    if (m_bFileOpen.load()) {
      m_InterruptEvent.Set();
    }
  }

  // IRecordBufferReader
  platform::Semaphore& FreeSem() override { return m_FreeSem; }
  bool IsRecording() override { return m_bRecording.load() != 0; }
  void TakeStoredFrame(const CSystemBuffer& ring) override;

  bool HasOpenFile() const { return m_bFileOpen.load(); }
  // The file of the last record (removed when that record ended with no frame).
  const std::string& LastFileName() const { return m_strFileName; }
  Vs4Status LastStatus() const { return m_lastStatus.load(); }
  std::uint32_t FilesFinished() const { return m_filesFinished.load(); }
  // While no thread runs (a stop on the caller's thread may be reading it).
  void SetEnvironment(RecorderEnvironment env) {
    const std::lock_guard lock(m_threadLock);
    m_env = std::move(env);
  }

 protected:
  // Creates the file for a new record under the kind's name; false when a file is still open
  // or the file cannot be created.
  bool OpenFile(std::string& recordPath, std::uint8_t videoFormat);
  virtual bool WaitForStart(const platform::StopToken& stop);
  virtual RecorderState StartState();
  virtual void OnFrameLimit();
  virtual void AfterFinish() {}
  // After the file is closed and the recorder is idle again.
  virtual void AfterClose() {}
  virtual bool WindowPassed() { return false; }
  std::uint32_t ThreadBody(const platform::StopToken& stop);
  void PreRecord();
  void Finish();
  void RemoveEmptyFile();
  void WriteSlot(std::size_t slot, bool first);

  RecordKind m_kind;
  RecorderEnvironment m_env;
  std::mutex m_headerMutex;
  Vs4FileHeader m_Header;
  CVs4Writer m_Writer;
  platform::Thread m_Thread;
  // Taken to start the thread and to finish a record on the caller's thread while none runs.
  std::mutex m_threadLock;
  bool m_bThreadGivenUp = false;  // a thread that did not end in time (it may still run)
  platform::Semaphore m_FreeSem{1, 1};
  platform::Semaphore m_StartSem{0, 1};
  platform::Event m_StartEvent;
  platform::Event m_InterruptEvent;
  platform::Event m_StopDoneEvent;
  std::atomic<bool> m_bFileOpen{false};
  std::atomic<std::uint32_t> m_bRecording{0};
  std::atomic<RecorderState> m_state{RecorderState::kIdle};
  std::atomic<Vs4Status> m_lastStatus{Vs4Status::kOk};
  std::atomic<std::uint32_t> m_filesFinished{0};
  bool m_bHeaderPending = true;
  bool m_bContinue = false;
  std::uint8_t m_byVideoFormat = 4;
  std::string m_strRecordPath;
  std::string m_strFileName;
};

class CAlarmRecord final : public CRecorder {
 public:
  explicit CAlarmRecord(RecorderEnvironment env = RecorderEnvironment::Defaults())
      : CRecorder(RecordKind::kAlarm, std::move(env)) {}
  // The thread calls this class's overrides: it ends before they go away.
  ~CAlarmRecord() override { ExitThread(5000); }
  // Disk check (message 4068 when full), then a new file; false when none was opened.
  bool OpenRecordFile(std::string& path, std::uint8_t videoFormat);
  void CountStoredFrame() override;
  std::uint16_t FillCount() const { return m_wFillCount.load(); }

 private:
  void OnFrameLimit() override { m_InterruptEvent.Set(); }
  void AfterFinish() override;
  std::atomic<std::uint16_t> m_wFillCount{0};
};

class CUserRecord final : public CRecorder {
 public:
  explicit CUserRecord(RecorderEnvironment env = RecorderEnvironment::Defaults())
      : CRecorder(RecordKind::kUser, std::move(env)) {}
  ~CUserRecord() override { ExitThread(5000); }
  bool OpenRecordFile(std::string& path, std::uint8_t videoFormat);
  // After a re-login: continue the open file without pre-record. False without an open file.
  bool Interrupt();

 private:
  RecorderState StartState() override;
  void OnFrameLimit() override;
  void AfterFinish() override;
  void AfterClose() override;
};

struct ScheduleEntry {
  std::int64_t start = 0;  // seconds, inclusive
  std::int64_t end = 0;    // seconds, inclusive
  bool used = false;
};

class CSchRecord final : public CRecorder {
 public:
  explicit CSchRecord(RecorderEnvironment env = RecorderEnvironment::Defaults())
      : CRecorder(RecordKind::kSchedule, std::move(env)) {}
  ~CSchRecord() override { ExitThread(5000); }
  void SetSchedule(const std::array<ScheduleEntry, 10>& entries, std::string recordPath);

 private:
  bool WaitForStart(const platform::StopToken& stop) override;
  void OnFrameLimit() override { m_InterruptEvent.Set(); }
  void AfterFinish() override { m_windowEnd = 0; }
  bool WindowPassed() override;
  std::mutex m_scheduleMutex;
  std::array<ScheduleEntry, 10> m_entries{};
  std::string m_strScheduleRecordPath;
  std::int64_t m_windowEnd = 0;

  friend class CRecorder;
};
