// A test connection to the video server over our blocking socket.
#pragma once

#include <cstdint>
#include <string>

// Connects a stream socket to `server` (dotted text as it stands, else a host-name look-up) on
// `port`, then closes it. An empty server is not tried. On a failed connection the trace line
// "DectectSocketConnection : connect to video server is failed\n" is written. Returns 1 when the
// connection was made, else 0.
int DectectSocketConnection(const std::string& server, std::uint16_t port);

// The same for the settings' server address and web port (0 without an application data
// block).
int DectectSocketConnection();
