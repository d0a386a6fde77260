#include "vsim_device_tools.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "fakes/fake_firmware.h"
#include "fakes/sample_config.h"

namespace vsim {
namespace {

constexpr std::uint16_t kAnswerPort = 3332;
constexpr std::size_t kRequestBytes = 76;
// The MAC of the fake server's login reply ("00_0E_53_12_AB_CD").
constexpr std::array<std::uint8_t, 6> kMac = {0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD};

std::string Dotted(const std::vector<std::uint8_t>& request, std::size_t at) {
  return std::to_string(request[at]) + "." + std::to_string(request[at + 1]) + "." +
         std::to_string(request[at + 2]) + "." + std::to_string(request[at + 3]);
}

std::string Mac(const std::vector<std::uint8_t>& request) {
  char text[20];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", request[18], request[19],
                request[20], request[21], request[22], request[23]);
  return text;
}

std::string Text(const std::vector<std::uint8_t>& request, std::size_t at, std::size_t width) {
  const auto* first = reinterpret_cast<const char*>(request.data() + at);
  return std::string(first, strnlen(first, width));
}

void PrintRequest(const std::vector<std::uint8_t>& request, std::uint8_t result) {
  if (request.size() != kRequestBytes) {
    std::printf("vsim: LAN datagram of %zu bytes ignored\n", request.size());
  } else if (request[16] == 1) {
    std::printf("vsim: LAN search from %s\n", Dotted(request, 56).c_str());
  } else if (request[16] == 2 || request[16] == 3) {
    const unsigned port = request[72] | (request[73] << 8);
    std::printf(
        "vsim: %s for %s (user %s): address %s, mask %s, gateway %s, DNS %s, port %u; "
        "answered %u%s\n",
        request[16] == 2 ? "AV_SET_IP" : "AV_RESET", Mac(request).c_str(),
        Text(request, 24, 16).c_str(), Dotted(request, 56).c_str(), Dotted(request, 60).c_str(),
        Dotted(request, 64).c_str(), Dotted(request, 68).c_str(), port,
        static_cast<unsigned>(result), result == 0 ? " (not an account)" : "");
  } else {
    std::printf("vsim: LAN datagram with code %u ignored\n", static_cast<unsigned>(request[16]));
  }
  std::fflush(stdout);
}

}  // namespace

bool IsAccount(const fakes::FakeVideoServer& web, const std::string& user,
               const std::string& password) {
  return (user == kBuiltInUser && password == kBuiltInPassword) ||
         fakes::HasAccount(web.ConfigRecord("SECURE"), user, password);
}

void CheckLogins(fakes::FakeVideoServer& web) {
  web.SetLoginCheck([&web](const std::string& user, const std::string& password) {
    return IsAccount(web, user, password);
  });
}

std::uint8_t LanCommandResult(const fakes::FakeVideoServer& web,
                              const std::vector<std::uint8_t>& request) {
  if (request.size() != kRequestBytes)
    return 0;
  return IsAccount(web, Text(request, 24, 16), Text(request, 40, 16)) ? 1 : 0;
}

std::unique_ptr<fakes::FakeLanResponder> StartLanResponder(fakes::FakeVideoServer& web,
                                                           std::uint16_t port) {
  std::unique_ptr<fakes::FakeLanResponder> responder;
  try {
    responder = std::make_unique<fakes::FakeLanResponder>("0.0.0.0", port);
  } catch (const std::exception& error) {
    std::printf("vsim: no LAN search (%s)\n", error.what());
    return nullptr;
  }
  fakes::FakeLanDevice device;
  device.kind = 0x01;
  device.mac = kMac;
  device.ip = {127, 0, 0, 1};
  device.netMask = {255, 0, 0, 0};
  device.gateway = {127, 0, 0, 1};
  device.dns = {127, 0, 0, 1};
  device.port = web.WebPort();
  responder->AnswerRequesterOnPort(kAnswerPort);
  responder->SetReplies(1, {{{}, fakes::FakeLanResponder::SearchAnswer(device)}});
  // The observer runs before the request's answers are looked up: it sets the answer that the
  // request's user name and password earn.
  fakes::FakeLanResponder* lan = responder.get();
  responder->SetRequestObserver([&web, lan](const std::vector<std::uint8_t>& request) {
    const std::uint8_t code = request.size() > 16 ? request[16] : 0;
    const std::uint8_t result = LanCommandResult(web, request);
    if (code == 2 || code == 3)
      lan->SetReplies(code, {{{}, fakes::FakeLanResponder::CommandAnswer(code, result)}});
    PrintRequest(request, result);
  });
  std::printf("vsim: LAN search answered on UDP %u\n", static_cast<unsigned>(port));
  return responder;
}

void ReportFirmwareUploads(fakes::FakeVideoServer& web) {
  auto lastTenth = std::make_shared<int>(-1);
  fakes::FakeFirmware& firmware = web.Firmware();
  firmware.SetObserver([&firmware, lastTenth](const fakes::FirmwareRequest& request,
                                              const fakes::FirmwareState& state) {
    if (request.upgrade == "Abort") {
      std::printf("vsim: firmware upload aborted after %" PRIu64 " bytes\n", state.received);
    } else if (request.upgrade == "Start") {
      *lastTenth = -1;
      std::printf("vsim: firmware upload of %" PRIu64 " bytes started\n",
                  state.declaredSize.value_or(0));
    }
    if (request.upgrade != "Abort" && state.declaredSize && *state.declaredSize > 0) {
      const int tenth = static_cast<int>(state.received * 10 / *state.declaredSize);
      if (tenth != *lastTenth) {
        *lastTenth = tenth;
        std::printf("vsim: firmware %3d%% (%" PRIu64 " bytes in %zu blocks)\n",
                    static_cast<int>(state.received * 100 / *state.declaredSize), state.received,
                    state.blocks);
      }
    }
    const bool single = request.upgrade == "Start" && state.declaredSize == state.received;
    if (request.upgrade == "Finished" || single) {
      std::printf("vsim: firmware upload finished: %" PRIu64 " bytes, CRC-32 %08x\n",
                  state.received, fakes::FirmwareCrc32(firmware.Image()));
    }
    std::fflush(stdout);
  });
}

}  // namespace vsim
