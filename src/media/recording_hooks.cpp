#include "media/recording_hooks.h"

#include <array>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "app/app_data.h"
#include "app/engine_threads.h"
#include "app/recorder_stops.h"
#include "app/trace.h"
#include "media/alarm_db/alarm_database.h"
#include "media/audio/alarm_wav.h"
#include "media/audio/wave_out_player.h"
#include "media/frame_header.h"
#include "media/record/recorder.h"
#include "media/record/vs4_format.h"
#include "media/record_buffer.h"

namespace {

// Time given to an alarm sound thread that was told to stop before its sound is replaced.
constexpr std::uint32_t kAlarmSoundStopMs = 1000;
// Time each recorder thread gets to end.
constexpr std::uint32_t kRecorderExitMs = 1000;
// Time the user recorder gets to leave its record loop on the end of the streams, keeping its
// file open, before its thread is asked to stop (a stop request would finish the file).
constexpr auto kUserRecordLeaveTime = std::chrono::milliseconds(2000);
constexpr auto kPollStep = std::chrono::milliseconds(2);

// The user recorder's index among the three recorders (alarm 0, user 1, schedule 2).
constexpr std::size_t kUser = 1;

struct Wiring {
  // Taken by the operations that set a recorder's environment or start or end its threads, and
  // by the alarm start of the packet headers, so a recorder's environment never changes under
  // a caller.
  std::mutex lock;
  // The session's end-of-streams event the recorder threads wait on; held here while they run.
  EventHandle endOfStreams;
  std::uint8_t videoFormat = 4;
  // Recorders whose thread did not end in time: they keep their environment and get no new
  // thread.
  std::array<bool, 3> stuck{};
  std::shared_ptr<platform::Event> alarmSoundDone;
};

Wiring& State() {
  static Wiring wiring;
  return wiring;
}

std::array<CRecorder*, 3> Recorders(CAppData& app) {
  return {&app.m_AlarmRecord, &app.m_UserRecord, &app.m_SchRecord};
}

template <typename T>
std::shared_ptr<IRecordBufferReader> NotOwned(T& reader) {
  // The recorders belong to the data block; the ring only borrows them until freeRecorders.
  return std::shared_ptr<IRecordBufferReader>(std::shared_ptr<void>(), &reader);
}

std::string ServerAddress() {
  if (!g_lpApp) {
    return {};
  }
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  return g_lpApp->m_SettingINI.m_strServerAddress;
}

// The time of a record's first frame, as its finished file's header holds it.
SystemTime FirstFrameTime(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<std::uint8_t, kVs4HeaderBytes> bytes{};
  if (!in.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) {
    return {};
  }
  return Vs4FileHeader::Parse(bytes).FirstFrameTime;
}

// A finished alarm record goes into the alarm database, and the headers may start the next one.
// A record of no frame left no file (the recorder removed it): nothing to enter.
void AlarmRecordFinished(std::uint32_t frames) {
  if (!g_lpApp) {
    return;
  }
  CAppData& app = *g_lpApp;
  if (frames == 0) {
    DebugPrint(
        "Alarm_Record_Thread: the record holds no frame and is not entered in the alarm "
        "database\n");
  } else {
    const std::string path = app.m_AlarmRecord.LastFileName();
    g_AlarmDatabase.SetRecordFileName(path);
    g_AlarmDatabase.SetRecordStartTime(FirstFrameTime(path));
    if (!g_AlarmDatabase.AppendRecord(frames, ServerAddress())) {
      DebugPrint("Alarm_Record_Thread: the record was not entered in the alarm database\n");
    }
  }
  app.m_VideoFrameHeader.m_bAlarmRecordStarted = 0;
  app.m_AudioFrameHeader.m_bAlarmRecordStarted = 0;
}

RecorderEnvironment MakeEnvironment(CAppData& app, platform::Event* endOfStreams) {
  RecorderEnvironment env = RecorderEnvironment::Defaults();
  env.ring = &app.m_SystemBuffer;
  env.endOfStreams = endOfStreams;
  env.sessionId = [] { return SessionIdBuffer.Get(); };
  env.serverAddress = ServerAddress;
  env.avOption = [] {
    return g_lpApp ? g_lpApp->m_SettingINI.m_byAvSwitchOption.load() : std::uint8_t{3};
  };
  env.onUserRecordClosed = [] {
    if (const auto sink = app::MainWindowSink()) {
      sink->RefreshRecordButton();
    }
  };
  env.onAlarmRecordFinished = AlarmRecordFinished;
  return env;
}

// Sets the environment of every recorder whose thread is not running. Called with the lock.
void SetEnvironments(CAppData& app, platform::Event* endOfStreams) {
  Wiring& wiring = State();
  const auto recorders = Recorders(app);
  for (std::size_t i = 0; i < recorders.size(); ++i) {
    if (!wiring.stuck[i]) {
      recorders[i]->SetEnvironment(MakeEnvironment(app, endOfStreams));
    }
  }
}

// The packet headers' alarm start: a new alarm record in the settings' record folder.
void StartAlarmRecord() {
  const std::lock_guard lock(State().lock);
  if (!g_lpApp) {
    return;
  }
  CAppData& app = *g_lpApp;
  std::string path;
  {
    const std::lock_guard text(app.m_SettingINI.m_TextLock);
    path = app.m_SettingINI.m_strRecordPath;
  }
  const std::string asked = path;
  app.m_AlarmRecord.OpenRecordFile(path, app.m_byVideoFormat.load());
  if (path != asked) {
    // The folder gained its closing "/": the setting keeps it.
    const std::lock_guard text(app.m_SettingINI.m_TextLock);
    if (app.m_SettingINI.m_strRecordPath == asked) {
      app.m_SettingINI.m_strRecordPath = path;
    }
  }
}

FrameHeaderAlarmHooks AlarmRecorderHooks() {
  FrameHeaderAlarmHooks hooks = DefaultFrameHeaderAlarmHooks();
  hooks.alarmRecorderRecording = [] { return g_lpApp && g_lpApp->m_AlarmRecord.IsRecording(); };
  hooks.alarmRecorderActive = [] {
    return g_lpApp &&
           (g_lpApp->m_AlarmRecord.IsRecording() || g_lpApp->m_AlarmRecord.HasOpenFile());
  };
  hooks.startAlarmRecord = StartAlarmRecord;
  hooks.stopAlarmRecord = [] {
    if (g_lpApp) {
      g_lpApp->m_AlarmRecord.RequestStop();
    }
  };
  return hooks;
}

int CreateRecorders() {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  g_AlarmDatabase.SetProgramDir(app.m_SettingINI.LockedText(app.m_SettingINI.m_strProgramDir));
  {
    const std::lock_guard lock(State().lock);
    SetEnvironments(app, State().endOfStreams.get());
  }
  SetRecordBufferReaders(
      {NotOwned(app.m_AlarmRecord), NotOwned(app.m_UserRecord), NotOwned(app.m_SchRecord)});
  SetFrameHeaderAlarmHooks(AlarmRecorderHooks());
  return 1;
}

// At shut-down a user record left open for a re-login that never comes is finished: a thread
// is started for it only to close the file with its header, index and trailer (the ring is
// still allocated, so a frame handed over last is written as well).
void FinishOpenUserRecord(CAppData& app) {
  Wiring& wiring = State();
  const std::lock_guard lock(wiring.lock);
  CUserRecord& user = app.m_UserRecord;
  if (!user.HasOpenFile() || wiring.stuck[kUser]) {
    return;
  }
  user.SetEnvironment(MakeEnvironment(app, nullptr));
  if (!user.CreateThread(wiring.videoFormat)) {
    return;
  }
  if (user.Interrupt() && !user.StopRecord()) {
    // The record goes on finishing; the thread's end below gives it its time.
    DebugPrint("FreeSemaphore : the user record is still being finished\n");
  }
  wiring.stuck[kUser] = !user.ExitThread(5000);
}

void FreeRecorders() {
  SetFrameHeaderAlarmHooks(DefaultFrameHeaderAlarmHooks());
  SetRecordBufferReaders({});
}

// The ring and the live player's buffers may still be touched by a thread that shut-down had
// to give up; they are then left to the end of the process.
bool MayFreeStreamMemory() {
  return app::AbandonedThreadCount() == 0;
}

int AllocateRecorderBuffers() {
  if (!g_lpApp) {
    return 0;
  }
  const bool player = g_WaveOutPlayer.AllocateBuffers();
  const bool ring = g_lpApp->m_SystemBuffer.Allocate();
  if (!player || !ring) {
    DebugPrint("AllocateSystemBuffer : the record ring or the audio buffers are missing \n");
  }
  return player && ring ? 1 : 0;
}

// Shut-down only: the program ends.
void FreeRecorderBuffers() {
  if (g_lpApp) {
    FinishOpenUserRecord(*g_lpApp);
  }
  if (!MayFreeStreamMemory()) {
    DebugPrint("FreeSystemBuffer : a stopped thread still runs; record ring kept \n");
    return;
  }
  g_WaveOutPlayer.FreeBuffers();
  if (g_lpApp) {
    g_lpApp->m_SystemBuffer.Free();
  }
}

void StartRecorderThreads(std::uint8_t videoFormat) {
  if (!g_lpApp) {
    return;
  }
  CAppData& app = *g_lpApp;
  Wiring& wiring = State();
  const std::lock_guard lock(wiring.lock);
  wiring.endOfStreams = app::LoadHandle(app.h_EndofGetJpegImageEvent);
  wiring.videoFormat = videoFormat;
  SetEnvironments(app, wiring.endOfStreams.get());
  const auto recorders = Recorders(app);
  for (std::size_t i = 0; i < recorders.size(); ++i) {
    if (!wiring.stuck[i]) {
      recorders[i]->CreateThread(videoFormat);
    }
  }
}

void EndRecorderThreads() {
  if (!g_lpApp) {
    return;
  }
  CAppData& app = *g_lpApp;
  Wiring& wiring = State();
  const std::lock_guard lock(wiring.lock);
  if (wiring.endOfStreams) {
    // The streams have ended (shut-down has closed its own handle of the event by now): the
    // recorders see it before their stop request, so the user record leaves its loop with the
    // file kept open.
    wiring.endOfStreams->Set();
    const auto deadline = std::chrono::steady_clock::now() + kUserRecordLeaveTime;
    while (app.m_UserRecord.IsRecording() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(kPollStep);
    }
  }
  const auto recorders = Recorders(app);
  bool anyStuck = false;
  for (std::size_t i = 0; i < recorders.size(); ++i) {
    wiring.stuck[i] = !recorders[i]->ExitThread(kRecorderExitMs);
    anyStuck = anyStuck || wiring.stuck[i];
  }
  if (!anyStuck) {
    wiring.endOfStreams.reset();
  }
}

bool UserRecordGoesOn() {
  return g_lpApp && g_lpApp->m_UserRecord.Interrupt();
}

// Loads the alarm sound. A sound thread still playing the old sound is ended first (its stop
// event was set by the caller); when it does not end, the old sound stays.
bool LoadAlarmSound(const std::string& path) {
  if (!g_lpApp) {
    return false;
  }
  CAppData& app = *g_lpApp;
  if (app::EngineThreadRunning(app.h_PlayAudioWavThread)) {
    app::SignalEvent(app.m_hAlarmWavStopEvent);
    const std::uint32_t code =
        app::StopEngineThread("LoadAlarmWav", "PlayAudioWavThread", app.h_PlayAudioWavThread,
                              app.h_PlayAudioWavThreadId, kAlarmSoundStopMs);
    if (code == 31) {
      return false;
    }
  }
  return app.m_AlarmWav.LoadAlarmWav(path,
                                     app.m_SettingINI.LockedText(app.m_SettingINI.m_strProgramDir));
}

void SetAlarmSoundEvent(std::shared_ptr<platform::Event> bufferDone) {
  Wiring& wiring = State();
  const std::lock_guard lock(wiring.lock);
  wiring.alarmSoundDone = std::move(bufferDone);
}

}  // namespace

app::MediaEngineHooks WithRecorders(app::MediaEngineHooks hooks) {
  hooks.createRecorders = CreateRecorders;
  hooks.freeRecorders = FreeRecorders;
  hooks.allocateRecorderBuffers = AllocateRecorderBuffers;
  hooks.freeRecorderBuffers = FreeRecorderBuffers;
  hooks.startRecorderThreads = StartRecorderThreads;
  hooks.endRecorderThreads = EndRecorderThreads;
  hooks.stopAlarmAndScheduleRecords = app::StopAlarmAndScheduleRecords;
  hooks.userRecordGoesOn = UserRecordGoesOn;
  hooks.loadAlarmSound = LoadAlarmSound;
  hooks.setAlarmSoundEvent = SetAlarmSoundEvent;
  return hooks;
}

void InstallRecorders() {
  app::SetMediaHooks(WithRecorders(app::MediaHooks()));
}

std::shared_ptr<platform::Event> AlarmSoundDoneEvent() {
  Wiring& wiring = State();
  const std::lock_guard lock(wiring.lock);
  return wiring.alarmSoundDone;
}
