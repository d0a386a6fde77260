// Panel-key commands for the devices on the server's RS485 channels: the command of the key is
// taken from the device table, its placeholders are filled, it is framed and sent to the
// server as "/RS485Cmd.cgi" (in the query as hex text and as the binary body).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/cgi_url.h"
#include "net/ctrl_file.h"
#include "platform/thread.h"

// A frame holds at most 64 bytes: count, payload (at most 61), repeat, interval.
inline constexpr std::size_t kRs485FrameMax = 64;
inline constexpr std::size_t kRs485PayloadMax = kRs485FrameMax - 3;
inline constexpr uint8_t kRs485RepeatInterval = 0x32;
inline constexpr uint16_t kRetrCommandIndex = 61;  // "[ALARM]"
inline constexpr uint8_t kRetrDeviceType = 0x84;

// Authority byte of each user-rights row: SUPERVISOR, HIGH USER, GUEST, NORMAL USER.
inline constexpr std::array<uint8_t, 4> UserRightsAuthority = {60, 40, 4, 20};

namespace net {

// What the placeholders of a frame take.
struct Rs485Values {
  uint8_t deviceId = 0;
  uint8_t userRightsRow = 0;
  uint8_t ptzNumber = 1;
  bool retrOn = false;
  uint8_t repeat = 1;
};

// The frame's bytes (payload count + 3 bytes), or nullopt when the command cannot be framed
// within 64 bytes or its form runs past its bytes.
std::optional<std::vector<uint8_t>> BuildRs485Frame(const DeviceCommand& command,
                                                    const Rs485Values& values);
// Two lower-case hex digits per byte.
std::string FrameHexText(const std::vector<uint8_t>& frame);

// One "/RS485Cmd.cgi" request as it goes out: its target, and the frame as its body (none for
// the commands the main window's panel builds itself).
struct Rs485Request {
  CCgiUrl url;
  std::optional<std::vector<uint8_t>> body;
};

// A device command made ready on the caller's thread: the request, or nothing (and the message
// shown instead, 0 for none) when nothing goes.
struct PreparedRs485 {
  std::optional<Rs485Request> request;
  int message = 0;
};

// The target of one "/RS485Cmd.cgi" request: the frame's hex text as "Command", then the session
// (refused, and then not sent, when a value cannot travel in a request).
CCgiUrl Rs485CommandUrl(const std::string& hexText);

// Sends the request: 5 s to send, 5 s to answer; a stop request cuts it (result 0). The
// sender's result (1 accepted).
int SendRs485Request(const Rs485Request& request, const platform::StopToken& stop = {});

}  // namespace net

// The request of a device command record with its placeholders filled from the data block (the
// selected channel's PTZ number, the rights row, R.E.T.R.); message 4084 when the record is
// empty or cannot be framed.
net::PreparedRs485 PrepareRS485Command(const DeviceCommand* command, uint8_t deviceId,
                                       uint8_t repeat);
// The request of panel key `index` for the device on the selected channel: nothing (and no
// message) in R.E.T.R. mode for any key but the alarm key; message 4093 when no command
// description is loaded for the channel's device kind.
net::PreparedRs485 PrepareDeviceCommand(uint32_t useRepeat, uint16_t index);
