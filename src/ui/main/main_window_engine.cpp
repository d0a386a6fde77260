#include "ui/main/main_window_engine.h"

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
  return engine;
}

}  // namespace ports
