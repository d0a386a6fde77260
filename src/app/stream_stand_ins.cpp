#include "app/stream_stand_ins.h"

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "app/app_data.h"
#include "platform/sync.h"

namespace app {
namespace {

// Copies of the events a stand-in waits on, taken when its body is made.
struct WaitSet {
  std::vector<EventHandle> endOn;  // any of these ends the body
  EventHandle start;               // receivers: the start event
  EventHandle reset;               // receivers: the reset request
  EventHandle resetDone;           // receivers: the answer to the reset request
};

std::uint32_t RunStandIn(const WaitSet& set, const platform::StopToken& stop) {
  std::vector<platform::Waitable*> objects{&stop.StopEvent()};
  if (set.reset) {
    objects.push_back(set.reset.get());
  }
  for (const EventHandle& event : set.endOn) {
    if (event) {
      objects.push_back(event.get());
    }
  }
  const std::size_t startIndex = objects.size();
  if (set.start) {
    objects.push_back(set.start.get());
  }
  for (;;) {
    const std::uint32_t index = platform::WaitAny(objects, platform::kInfinite);
    if (index == startIndex && set.start) {
      // Started: from now on only the stop, reset and end events matter.
      objects.pop_back();
      continue;
    }
    if (set.reset && index == 1 && set.resetDone) {
      set.resetDone->Set();
    }
    return 0;
  }
}

ThreadFactory StandIn(std::function<WaitSet(CAppData&)> pick) {
  return [pick = std::move(pick)]() -> ThreadBody {
    if (!g_lpApp) {
      return {};
    }
    WaitSet set = pick(*g_lpApp);
    return [set = std::move(set)](platform::StopToken stop) { return RunStandIn(set, stop); };
  };
}

ThreadFactory VideoReceiver() {
  return StandIn([](CAppData& app) {
    return WaitSet{{app.h_EndofGetJpegImageEvent},
                   app.StartToGetJpegImageEvent,
                   app.NotifyGetJPEGImageThreadResetEvent,
                   app.ReceiverResetDoneImageEvent};
  });
}

ThreadFactory AudioReceiver() {
  return StandIn([](CAppData& app) {
    return WaitSet{{app.h_EndofGetJpegImageEvent},
                   app.StartToGetAudioEvent,
                   app.NotifyGetAudioThreadResetEvent,
                   app.ReceiverResetDoneAudioEvent};
  });
}

ThreadFactory EndsOn(EventHandle CAppData::*field) {
  return StandIn([field](CAppData& app) { return WaitSet{{app.*field}, {}, {}, {}}; });
}

// The three recorder threads of the stand-in recorders.
struct Recorders {
  std::mutex lock;
  std::array<std::unique_ptr<platform::Thread>, 3> threads;
};

Recorders& TheRecorders() {
  static Recorders recorders;
  return recorders;
}

void StartRecorderThreads(std::uint8_t /*videoFormat*/) {
  Recorders& recorders = TheRecorders();
  const std::lock_guard lock(recorders.lock);
  for (auto& thread : recorders.threads) {
    if (!thread) {
      thread = std::make_unique<platform::Thread>();
    }
    if (!thread->IsRunning()) {
      thread->Start("Recorder", [](platform::StopToken stop) {
        stop.StopEvent().Wait();
        return 0u;
      });
    }
  }
}

void EndRecorderThreads() {
  Recorders& recorders = TheRecorders();
  const std::lock_guard lock(recorders.lock);
  for (auto& thread : recorders.threads) {
    if (thread) {
      thread->StopAndJoin(platform::kInfinite);
    }
  }
}

}  // namespace

MediaEngineHooks StandInMediaHooks() {
  MediaEngineHooks hooks;
  hooks.udpGetImageData = VideoReceiver();
  hooks.tcpGetImageData = VideoReceiver();
  hooks.udpGetAudio = AudioReceiver();
  hooks.tcpGetAudio = AudioReceiver();
  hooks.jpegCompose = EndsOn(&CAppData::h_EndofGetJpegImageEvent);
  hooks.mpeg4Compose = EndsOn(&CAppData::h_EndofGetJpegImageEvent);
  hooks.showImageData = EndsOn(&CAppData::ShowStopEvent);
  hooks.playAudioData = EndsOn(&CAppData::EndofPlayAudioEvent);
  hooks.receiverReport = EndsOn(&CAppData::RTCPStopEvent);
  hooks.startRecorderThreads = StartRecorderThreads;
  hooks.endRecorderThreads = EndRecorderThreads;
  return hooks;
}

}  // namespace app
