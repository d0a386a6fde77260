// The device command file, and the frames built from every command it yields.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/ctrl_file.h"
#include "net/rs485_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CtrlFileContents contents =
      net::ParseCtrlFile(std::string_view(reinterpret_cast<const char*>(data), size));
  for (int d = 0; d < contents.count; ++d) {
    const CtrlFileDevice& device = contents.devices[d];
    for (const DeviceCommand& command : device.commands) {
      for (const bool retr : {false, true}) {
        net::Rs485Values values;
        values.retrOn = retr;
        values.userRightsRow = static_cast<uint8_t>(size % 5);
        const auto frame = net::BuildRs485Frame(command, values);
        if (frame && frame->size() > kRs485FrameMax)
          __builtin_trap();
      }
    }
  }
  return 0;
}
