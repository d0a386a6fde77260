#include "ui/login/login_engine.h"

#include "net/net_environment.h"

namespace ports {

LoginEngine LoginEngine::Defaults() {
  LoginEngine engine;
  engine.loginPass = [](const app::LoginPassInput& input, const platform::StopToken& stop) {
    return app::RunLoginPass(input, stop);
  };
  engine.lanSearch = [](const std::string& ownAddress, const net::LanSearchSettings& settings,
                        const net::LanSearchEvents& events, const platform::StopToken& stop) {
    return net::RunLanSearch(ownAddress, settings, events, stop);
  };
  engine.lanCommand = [](const net::SearchDatagram& request, const std::string& ownAddress,
                         const net::LanSearchSettings& settings, const std::function<void()>& sent,
                         const platform::StopToken& stop) {
    return net::RunLanCommand(request, ownAddress, settings, sent, stop);
  };
  engine.sessionLogin = [](const net::SessionLogin& request, const platform::StopToken& stop) {
    return net::RunSessionLogin(request, stop);
  };
  engine.keepAlive = [](const platform::StopToken& stop) {
    net::RunKeepAlive(net::kKeepAliveIntervalMs, stop);
  };
  engine.uploadFirmware = [](std::span<const std::uint8_t> image, const std::string& session,
                             const std::function<void(int)>& progress,
                             const platform::StopToken& stop) {
    return net::UploadFirmware(image, session, net::Environment(), progress, stop);
  };
  engine.abortFirmware = [](const std::string& session, const platform::StopToken& stop) {
    return net::SendFirmwareAbort(session, net::Environment(), stop);
  };
  return engine;
}

}  // namespace ports
