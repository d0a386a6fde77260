// What the login window and its tools read and write of the program's data block, each in one
// place, in place of the same fields read and written one by one in the windows. Without a data
// block (a window shown on its own) the reads give the defaults and the writes do nothing.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// A server chosen in the LAN search becomes the settings' server address and web port.
void StoreChosenServer(const std::string& address, std::uint16_t webPort);
// The user level of the last login reply (0 without one).
std::int32_t ReplyUserLevel();
// The transmission and decode choices of the login settings.
struct StreamChoice {
  std::uint8_t transmission = 0;  // 1 TCP, else UDP
  std::uint8_t decode = 0;        // 0 JPEG, else MPEG-4
};
StreamChoice LoadStreamChoice();
void StoreStreamChoice(const StreamChoice& choice);
// The display scale of the windows (1 when unset or not positive).
double DisplayScale();
// The program's version text as the login window paints it.
std::string ProgramVersionText();
// The server's FIRMWARE-VERSION from the last login reply (its 20 bytes need not end in a
// terminator).
std::string FirmwareVersionText();
// The "Upgrade Path" setting; empty where it is the placeholder "UnKnown".
std::string UpgradePath();
void StoreUpgradePath(const std::string& path);

}  // namespace app
