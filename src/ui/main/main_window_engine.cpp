#include "ui/main/main_window_engine.h"

#include <memory>

#include "app/alarm_sound.h"
#include "app/app_seams.h"
#include "app/kavelin_app.h"
#include "app/main_window_state.h"
#include "app/recorder_stops.h"
#include "app/relogin_thread.h"
#include "net/config_records.h"

namespace ports {

MainWindowEngine MainWindowEngine::Defaults() {
  using namespace mainwin;
  MainWindowEngine engine;
  engine.disconnect = [](const DisconnectPlan& plan, const platform::StopToken& stop) {
    return RunDisconnectWaits(plan, stop);
  };
  engine.avSwitch = [](std::uint8_t oldOption, const platform::StopToken& stop) {
    return RunAvSwitchWaits(oldOption, stop);
  };
  engine.pause = [](std::uint32_t ms, const platform::StopToken& stop) {
    return PauseFor(ms, stop);
  };
  engine.sendDeviceRequest = [](const net::Rs485Request& request, const platform::StopToken& stop) {
    return net::SendRs485Request(request, stop);
  };
  engine.fetchImageRecord = [](const platform::StopToken& stop) -> std::optional<ImgRecord> {
    ImgRecord record{};
    if (GetSysCfg(kConfigImg, record.data(), static_cast<std::uint32_t>(record.size()), stop) !=
        1) {
      return std::nullopt;
    }
    return record;
  };
  engine.sendImageRecord = [](const ImgRecord& record, const platform::StopToken& stop) {
    return SetSysCfg(kConfigImg, record.data(), static_cast<std::uint32_t>(record.size()), 0, stop);
  };
  engine.connect = [] { return ConnectReLogin(); };
  engine.stopRecorders = app::StopRecorders;
  engine.endSessionResources = [] {
    if (theApp.ExitLoginResource() == 0) {
      app::TraceLine("ExitLoginResource is failed\n");
      return false;
    }
    if (theApp.ExitProcessResource() == 0) {
      app::TraceLine("ExitProcessResource is failed\n");
      return false;
    }
    return true;
  };
  // Start and stop share one sound: the thread the last start began is the one they end.
  auto sound = std::make_shared<app::AlarmSound>();
  engine.startAlarmSound = [sound] { return sound->Start(); };
  engine.stopAlarmSound = [sound] { sound->Stop(); };
  engine.silenceAlarmSound = [] {
    if (g_lpApp)
      app::StopPendingAlarmSound(*g_lpApp);
  };
  return engine;
}

}  // namespace ports
