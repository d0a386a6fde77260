// What the application's start-up, shut-down and kernel threads reach through seams, so that
// the parts built elsewhere plug in without changing the lifecycle code:
// - the clock every timed wait of the kernel, polling and re-login threads is measured on;
// - the login window and the main window, run modally by start-up;
// - the main window's services (platform::IMainWindowSink) while the main window exists;
// - the media engine's thread bodies and recorder operations (MediaEngineHooks).
// Tests install headless stand-ins; the program installs the Qt windows and the media engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/main_window_sink.h"
#include "platform/thread.h"

namespace app {

// The five text members of the login window, filled by start-up before it runs.
struct LoginDialogFields {
  std::string host;
  std::string userName;
  std::string password;
  std::string port;
  std::string bitRate;
};

class ILoginWindow {
 public:
  virtual ~ILoginWindow() = default;
  // Builds a new login window with the fields and runs it modally. Returns platform::IDOK only
  // after a successful login, when m_wUserLevel and the stream values of the application data
  // block are set; any other result ends the program.
  virtual int DoModal(const LoginDialogFields& fields) = 0;
};

class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  // Builds the main window and runs it until it closes. While open it installs its services
  // with SetMainWindowSink; its opening starts the receivers and the life-time count
  // (SignalMainWindowOpened), and its destruction saves the settings and runs
  // ExitLoginResource and ExitProcessResource.
  virtual void DoModal() = 0;
};

using ThreadBody = platform::Thread::Body;
// Makes a thread's body just before the thread starts, on the thread that creates the login
// resources: the body takes its own copies of the events it waits on there, so a later close
// of a field never pulls an event from under it. An empty body means the thread could not be
// created.
using ThreadFactory = std::function<ThreadBody()>;

// The media engine as the lifecycle code drives it. An empty factory starts no thread (as a
// thread the system refused); an empty operation does nothing.
struct MediaEngineHooks {
  ThreadFactory udpGetImageData;  // UdpGetImageDataThread
  ThreadFactory udpGetAudio;      // UdpGetAudioThread
  ThreadFactory tcpGetImageData;  // TcpGetImageDataThread
  ThreadFactory tcpGetAudio;      // TcpGetAudioThread
  ThreadFactory jpegCompose;      // JpegComposeImageDataThread
  ThreadFactory mpeg4Compose;     // Mpeg4ComposeImageDataThread
  ThreadFactory showImageData;    // Show_Image_Data_Thread
  ThreadFactory playAudioData;    // Thread_Play_Audio_Data
  ThreadFactory receiverReport;   // RTCPThread

  // The three recorders: their resources (with the ring semaphores), frame buffers and
  // threads. startRecorderThreads gets the video format byte.
  std::function<int()> createRecorders;
  std::function<void()> freeRecorders;
  std::function<int()> allocateRecorderBuffers;
  std::function<void()> freeRecorderBuffers;
  std::function<void(std::uint8_t videoFormat)> startRecorderThreads;
  std::function<void()> endRecorderThreads;
  // StopRecord of the alarm and schedule recorders (a lost connection).
  std::function<void()> stopAlarmAndScheduleRecords;
  // CUserRecord::Interrupt: true when an interrupted user recording goes on.
  std::function<bool()> userRecordGoesOn;
  // Called after the ring indexes and the packet headers' alarm flags were reset (start-up and
  // every rebuild), with the AV switch option.
  std::function<void(std::uint8_t avSwitchOption)> resetStreamHeaders;
  // The alarm sound: loads the sound file (false when it cannot be loaded) and hands the
  // player its buffer-done event.
  std::function<bool(const std::string& path)> loadAlarmSound;
  std::function<void(std::shared_ptr<platform::Event> bufferDone)> setAlarmSoundEvent;
};

// The clock of the kernel, polling and re-login threads (the real clock until one is set).
platform::IClock& Clock();
void SetClock(platform::IClock* clock);

// The main window's services; null while no main window exists.
std::shared_ptr<platform::IMainWindowSink> MainWindowSink();
void SetMainWindowSink(std::shared_ptr<platform::IMainWindowSink> sink);

std::shared_ptr<ILoginWindow> LoginWindow();
void SetLoginWindow(std::shared_ptr<ILoginWindow> window);
std::shared_ptr<IMainWindow> MainWindow();
void SetMainWindow(std::shared_ptr<IMainWindow> window);

// The media engine's hooks; until some are installed, the stand-ins of stream_stand_ins.h.
MediaEngineHooks MediaHooks();
void SetMediaHooks(MediaEngineHooks hooks);

// Every step line the kernel, polling and re-login threads write to the debug trace file (with
// the file's mode 0, which writes nothing) and every "is exit with code" line also goes to this
// observer when one is set. Tests read the order of the steps from it.
using TraceObserver = std::function<void(const std::string& line)>;
void SetTraceObserver(TraceObserver observer);
// Appends the step line to the debug trace file (mode 0) and tells the observer.
void TraceStep(const std::string& line);
// DebugPrint of a fixed line, also told to the observer.
void TraceLine(const std::string& line);

}  // namespace app
