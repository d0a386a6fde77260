// The user-visible texts that the device protocol shows, by string id.
#pragma once

#include <string_view>

namespace net {

inline constexpr int kMsgCantCreateCtrlFile = 4009;
inline constexpr int kMsgInputServerCommand = 4051;
inline constexpr int kMsgSendCommandFailed = 4065;
inline constexpr int kMsgWrongUserOrPassword = 4081;
inline constexpr int kMsgCommandNotSupported = 4084;
inline constexpr int kMsgNoDeviceProtocol = 4093;
inline constexpr int kMsgOpenCtrlFileFailed = 4094;

std::string_view MessageText(int id);

// Shows the text through the platform's message-box service (which never blocks a worker
// thread on the GUI).
void ShowNetMessage(int id);

}  // namespace net
